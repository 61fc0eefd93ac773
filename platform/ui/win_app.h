// SPDX-License-Identifier: MIT
// The application object: start-up, the message loop and shut-down. While
// it exists it names the application (AfxGetAppName, in the platform base).
#pragma once

#include <string>

#include "platform/base/application.h"
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

// The wait cursor, until the window next sets its own.
void AfxSetWaitCursor();
