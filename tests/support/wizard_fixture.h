// SPDX-License-Identifier: MIT
// A wizard on the recording host, in the wizard tests' sandbox.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/upgrade_wizard_app.h"
#include "tests/support/recording_host.h"
#include "tests/support/wizard_sandbox.h"
#include "upgrade/next_step.h"

// The recording host, where a test may act while a message box waits for
// OK, as a user may change files then.
class TestHost : public RecordingHost {
public:
    // Runs `action` when a message box with exactly `text` is shown.
    void WhileBoxShows(const std::string& text, std::function<void()> action)
    {
        m_boxActions[text] = std::move(action);
    }

protected:
    void OnMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;

private:
    std::map<std::string, std::function<void()>> m_boxActions;
};

// One run-log entry as the log frames it.
std::string LogEntry(const std::string& text);
// The entries that say what a changed device is left with, and what next.
std::string NextStepEntries(const NextStep& next);

class WizardTest : public WizardSandboxTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the application: the wizard is created and the log opened. The
    // host's story starts afresh after start-up.
    CUpgradeWizardDlg& StartWizard();
    // Types the address and the password and presses Continue.
    void RunWith(const std::string& address, const std::string& password);
    // Shuts the application down as the message loop's end does.
    int ExitApplication();

    CUpgradeWizardDlg& Wizard() { return *m_app->Wizard(); }
    std::string LogText() const;
    // Whether the run log holds `text` as one entry.
    bool LogHas(const std::string& text) const { return LogText().find(LogEntry(text)) != std::string::npos; }
    std::filesystem::path LogPath() const { return m_dir / "temp" / "ndxulog.txt"; }
    // The text of a control of the wizard.
    std::string Text(int id) { return Wizard().GetDlgItemText(id); }
    bool Visible(int id) { return Wizard().IsControlVisible(id); }

    TestHost m_host;
    std::unique_ptr<CUpgradeWizardApp> m_app;
};
