// SPDX-License-Identifier: MIT
// The application object: creates the wizard window as the main window, keeps
// the application-wide Internet session open while the program runs, and
// takes both down in order at the end.
#pragma once

#include <memory>

#include "app/upgrade_wizard_dlg.h"
#include "net/app_session.h"
#include "platform/ui/win_app.h"

class CUpgradeWizardApp : public CWinApp {
public:
    CUpgradeWizardApp() = default;

    BOOL InitInstance() override;
    int ExitInstance() override;

    CUpgradeWizardDlg* Wizard() const { return m_pWizard.get(); }
    CAppSession* Session() const { return m_pSession.get(); }

private:
    std::unique_ptr<CUpgradeWizardDlg> m_pWizard;
    std::unique_ptr<CAppSession> m_pSession;
};
