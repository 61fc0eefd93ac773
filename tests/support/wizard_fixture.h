// SPDX-License-Identifier: MIT
// A wizard on the recording host, in a sandbox of its own: TEMP (the run
// log's directory), drive C: and the package directory (the current
// directory, holding fw512000.bin and ndxuback.txt) all lie in a temporary
// directory.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/upgrade_wizard_app.h"
#include "platform/recording/recording_host.h"
#include "tests/support/drive_c.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

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

class WizardTest : public ::testing::Test {
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
    std::filesystem::path LogPath() const { return m_dir / "temp" / "ndxulog.txt"; }
    std::filesystem::path TempDirectory() const { return m_dir / "temp"; }
    std::filesystem::path DriveC() const { return TestDriveC(m_dir.path()); }
    std::filesystem::path StagingDirectory() const { return DriveC() / "varn" / "ndxu511"; }
    std::filesystem::path PackageDirectory() const { return m_dir / "package"; }
    // The text of a control of the wizard.
    std::string Text(int id) { return Wizard().GetDlgItemText(id); }
    bool Visible(int id) { return Wizard().IsControlVisible(id); }

    TestHost m_host;
    TempDir m_dir;
    ScopedEnv m_env;
    std::unique_ptr<ScopedCurrentDirectory> m_cwd;
    std::unique_ptr<CUpgradeWizardApp> m_app;
};
