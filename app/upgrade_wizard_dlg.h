// SPDX-License-Identifier: MIT
// The wizard window: introduction, side picture, address and password
// fields, Continue and Cancel, and the status line. Continue starts the
// upgrade run; Cancel, Escape and the close box end the program.
#pragma once

#include <string>

#include "platform/ui/dialog.h"
#include "upgrade/run_end.h"
#include "upgrade/run_options.h"

class CUpgradeWizardDlg : public CDialog {
public:
    CUpgradeWizardDlg();

    // What the runs started by Continue do beyond the upgrade (the window's
    // runs ask for nothing more).
    void SetRunOptions(const RunOptions& options) { m_runOptions = options; }

    // How the last upgrade run ended; RunEnd::None before the first.
    RunEnd LastRunEnd() const { return m_lastRunEnd; }

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
    RunEnd m_lastRunEnd = RunEnd::None;
};
