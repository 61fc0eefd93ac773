// SPDX-License-Identifier: MIT
// The application object: start-up, the message loop and shut-down.
#pragma once

#include <string>

#include "platform/base/win_types.h"

class CDialog;

class CWinApp {
public:
    // With no name the application is named after the executable file.
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // TRUE: run the message loop; FALSE: start-up failed.
    virtual BOOL InitInstance() { return TRUE; }
    // Returns the exit code: that of the quit message which ended the loop.
    virtual int ExitInstance() { return m_nExitCode; }
    // Runs the message loop, then ExitInstance.
    virtual int Run();

    const std::string& AppName() const { return m_appName; }

    CDialog* m_pMainWnd = nullptr;

private:
    std::string m_appName;
    int m_nExitCode = 0;
};

// Starts the application: InitInstance, then the message loop and
// ExitInstance (ExitInstance at once when start-up failed).
int AfxWinMain(CWinApp& app);

// The main window: the application's, else none.
CDialog* AfxGetMainWnd();
// The application's name; the executable's base name when there is no
// application object.
std::string AfxGetAppName();

// An application message box: captioned with the application name, with the
// exclamation icon unless `type` asks for another.
int AfxMessageBox(const std::string& text, UINT type = MB_OK);

// The wait cursor, until the window next sets its own.
void AfxSetWaitCursor();

// The executable file's name without directory and extension.
std::string ExecutableBaseName();
