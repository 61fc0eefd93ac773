// SPDX-License-Identifier: MIT
// The wizard on the Win32 host, in the wizard tests' sandbox. The program's
// message boxes are recorded and answered with OK; a watchdog ends the
// message loops of a test that hangs.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/upgrade_wizard_app.h"
#include "platform/win32/win32_host.h"
#include "tests/support/wizard_sandbox.h"
#include "tests/win32/message_box_watch.h"

class Win32WizardTest : public WizardSandboxTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the application: the wizard is created and shown.
    CUpgradeWizardDlg& StartWizard();
    // Runs the application as main() does, `action` being what the user
    // does first; returns the exit code.
    int RunApplication(std::function<void()> action);
    // Runs `action` in the next message loop, a modal one included.
    static void Later(std::function<void()> action);
    // Handles what is waiting in the message queue, as an idle loop would.
    static void Settle();

    CUpgradeWizardDlg& Wizard() { return *m_app->Wizard(); }
    HWND Window();
    // The control as the dialog manager finds it.
    HWND Control(int id);
    // A key pressed while the focus is in `window`, delivered through the
    // message queue as the system delivers it.
    static void Press(HWND window, UINT key);

    std::unique_ptr<Win32Host> m_host;
    std::unique_ptr<CUpgradeWizardApp> m_app;
    std::unique_ptr<MessageBoxWatch> m_boxes;

private:
    bool m_ended = false;
    UINT_PTR m_watchdog = 0;
};
