// SPDX-License-Identifier: MIT
// A host shows the dialogs of the window layer: in a real window, on the
// console, or in memory for tests. One host serves the whole process.
#pragma once

#include <string>

#include "platform/base/win_types.h"
#include "platform/ui/control.h"
#include "platform/ui/progress_report.h"

class CDialog;

enum class MessageIcon { None, Exclamation, Stop };

class Host {
public:
    virtual ~Host() = default;

    // The dialog's controls exist; build what shows them.
    virtual void CreateWindow(CDialog& dialog) = 0;
    virtual void DestroyWindow(CDialog& dialog) = 0;
    virtual void ShowWindow(CDialog& dialog, bool show) = 0;

    // A control's text, visibility or look has changed in the dialog.
    virtual void ControlChanged(CDialog& dialog, const Control& control) = 0;
    // The keyboard focus has moved to control `id` of the dialog.
    virtual void FocusChanged(CDialog& dialog, int id) = 0;

    // Shows a message box with the OK button and waits until it is closed.
    virtual int MessageBox(CDialog* owner, const std::string& text, const std::string& caption,
                           MessageIcon icon) = 0;

    // Runs the dialog modally until EndModal; returns its result.
    virtual int RunModal(CDialog& dialog) = 0;
    virtual void EndModal(CDialog& dialog, int result) = 0;

    // Runs the message loop until a quit message; returns its exit code.
    virtual int RunMessageLoop() = 0;
    virtual void PostQuit(int exitCode) = 0;

    virtual void SetWaitCursor() = 0;

    // Called while the program blocks (during a transfer) so that a window
    // stays painted; takes no user input.
    virtual void KeepPainted() = 0;

    // A transfer of the dialog's is under way and has come this far; shown
    // until EndProgress. Called at most a few times a second.
    virtual void ShowProgress(CDialog& dialog, const ProgressReport& progress) = 0;
    virtual void EndProgress(CDialog& dialog) = 0;

    // Why the next message box comes: the console shows it on the line after
    // that box, a window in the box's details.
    virtual void SetMessageDetail(const std::string&) {}
    // What the device is left with and what to do next, for the next message
    // box: a window shows it in the box's details; the console tells it once,
    // at the run's end.
    virtual void SetMessageNextStep(const std::string&) {}
};

// The process's host; set once at start (and by each test). Setting it
// installs the application message box (AfxMessageBox) that shows on it.
void AfxSetHost(Host* host);
Host& AfxGetHost();
// Lets the host keep its window painted during a long blocking call; does
// nothing when no host is set.
void AfxKeepPainted();
