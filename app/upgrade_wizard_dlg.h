// SPDX-License-Identifier: MIT
// The wizard window: introduction, side picture, address and password
// fields, Continue and Cancel, and the status line. Continue starts the
// upgrade run; Cancel, Escape and the close box end the program.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "upgrade/run_observer.h"
#include "upgrade/run_options.h"
#include "upgrade/run_report.h"

// Asks the user for a file, with a caption and a directory to start in;
// nullopt when the user cancels.
using ProfileChooser =
    std::function<std::optional<std::filesystem::path>(const std::string& caption, const std::filesystem::path& start)>;

class CUpgradeWizardDlg : public CDialog {
public:
    // `options`: what the runs started by Continue do beyond the upgrade,
    // and the run log's name. With `chooseProfile`, the window menu offers
    // "Restore Profile...": a profile chosen from the device's history is
    // put back on the device.
    explicit CUpgradeWizardDlg(RunOptions options = {}, ProfileChooser chooseProfile = {});

    // How the last upgrade run ended and what it found; RunEnd::None before
    // the first.
    RunEnd LastRunEnd() const { return m_lastRun.end; }
    const RunReport& LastRun() const { return m_lastRun; }
    // `observer` follows each run as it goes on, after those added before it.
    void AddRunObserver(RunObserver& observer) { m_runObservers.push_back(&observer); }

    CButton m_CancelButton;
    std::string m_Status;
    std::string m_Address;
    std::string m_Password;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;
    bool OnCommand(int id) override;
    void OnSysCommand(UINT id, LPARAM lParam) override;

private:
    void OnContinue();
    void OnRestoreProfile();
    // A run of the wizard page with `options`.
    void Run(const RunOptions& options);
    void OpenLogAndWriteBanner();

    RunOptions m_runOptions;
    ProfileChooser m_chooseProfile;
    std::string m_logHostPath;  // empty when the log is not open
    RunReport m_lastRun;
    std::vector<RunObserver*> m_runObservers;
};
