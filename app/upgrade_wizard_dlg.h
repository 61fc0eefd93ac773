// SPDX-License-Identifier: MIT
// The wizard window: introduction, side picture, address and password
// fields, Continue and Cancel, and the status line. Continue starts the
// upgrade run; Cancel, Escape and the close box end the program.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "upgrade/run_observer.h"
#include "upgrade/run_options.h"
#include "upgrade/run_report.h"

class CUpgradeWizardDlg : public CDialog {
public:
    // `options`: what the runs started by Continue do beyond the upgrade,
    // and the run log's name.
    explicit CUpgradeWizardDlg(RunOptions options = {});

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
    void OpenLogAndWriteBanner();

    RunOptions m_runOptions;
    std::string m_logHostPath;  // empty when the log is not open
    RunReport m_lastRun;
    std::vector<RunObserver*> m_runObservers;
};
