// SPDX-License-Identifier: MIT
// The application object: creates the wizard window as the main window, keeps
// the application-wide Internet session open while the program runs, and
// takes both down in order at the end.
#pragma once

#include <memory>
#include <utility>

#include "app/upgrade_wizard_dlg.h"
#include "net/app_session.h"
#include "platform/ui/win_app.h"
#include "upgrade/run_options.h"

class CUpgradeWizardApp : public CWinApp {
public:
    // `options`: what the wizard's runs do beyond the upgrade, and where
    // their log lies (the window's runs ask for nothing more).
    // With `chooseProfile`, the window offers to restore a kept profile.
    explicit CUpgradeWizardApp(RunOptions options = {}, ProfileChooser chooseProfile = {})
        : m_runOptions(std::move(options)), m_chooseProfile(std::move(chooseProfile))
    {
    }

    BOOL InitInstance() override;
    int ExitInstance() override;

    CUpgradeWizardDlg* Wizard() const { return m_pWizard.get(); }
    CAppSession* Session() const { return m_pSession.get(); }
    // The wizard's last run, kept when the wizard goes at the end (a log
    // that could not be opened is its failure).
    const RunReport& LastRun() const { return m_pWizard ? m_pWizard->LastRun() : m_lastRun; }

private:
    RunOptions m_runOptions;
    ProfileChooser m_chooseProfile;
    std::unique_ptr<CUpgradeWizardDlg> m_pWizard;
    std::unique_ptr<CAppSession> m_pSession;
    RunReport m_lastRun;
};
