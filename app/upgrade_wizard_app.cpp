// SPDX-License-Identifier: MIT
#include "app/upgrade_wizard_app.h"

#include "log/secrets.h"
#include "platform/inet/device_text.h"
#include "platform/inet/paint_pacer.h"
#include "platform/ui/host.h"
#include "res/resource.h"

namespace {
constexpr char kSessionAgent[] = "ReZED";
}

BOOL CUpgradeWizardApp::InitInstance()
{
    // The device password is masked in whatever the device sends back, where
    // it enters; the program's own texts and the system's are left whole.
    SetDeviceTextFilter(&MaskSecrets);
    // Transfers keep the window painted while they block the run.
    SetTransferPaintCallback(&AfxKeepPainted);
    m_pWizard = std::make_unique<CUpgradeWizardDlg>(m_runOptions, m_chooseProfile);
    if (!m_pWizard->Create(IDD_UPGRADEWIZARD_DIALOG)) return FALSE;
    m_pWizard->ShowWindow(SW_SHOW);
    m_pMainWnd = m_pWizard.get();

    m_pSession = std::make_unique<CAppSession>(kSessionAgent, 1, INTERNET_OPEN_TYPE_PRECONFIG);
    m_pSession->EnableStatusCallback(TRUE);
    return TRUE;
}

int CUpgradeWizardApp::ExitInstance()
{
    if (m_pSession) {
        m_pSession->Close();
        m_pSession.reset();
    }
    if (m_pWizard) {
        m_lastRun = m_pWizard->LastRun();
        m_pWizard->DestroyWindow();
        m_pMainWnd = nullptr;
        m_pWizard.reset();
    }
    return CWinApp::ExitInstance();
}
