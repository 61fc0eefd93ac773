// SPDX-License-Identifier: MIT
#include "app/upgrade_wizard_dlg.h"

#include "app/about_dlg.h"
#include "log/run_log.h"
#include "platform/files/environment.h"
#include "platform/files/paths.h"
#include "platform/ui/data_exchange.h"
#include "platform/ui/resources.h"
#include "res/resource.h"
#include "upgrade/device_identity.h"
#include "upgrade/profile_history.h"
#include "upgrade/upgrade_run.h"

namespace {

constexpr char kRestoreProfileEntry[] = "Restore Profile...";

// Where the chooser opens: the history of the device at `address`, else the
// history of every device.
std::filesystem::path HistoryToChooseFrom(const std::string& address)
{
    const std::string all = kHistoryDirectory;
    const std::string device = all + "\\" + DeviceDirectoryName(RunDeviceIdentity(address));
    std::error_code error;
    const std::optional<std::filesystem::path> deviceHistory = HostPathOf(device);
    if (!address.empty() && deviceHistory && std::filesystem::is_directory(*deviceHistory, error)) return *deviceHistory;
    return HostPathOf(all).value_or(std::filesystem::path());
}

}  // namespace

CUpgradeWizardDlg::CUpgradeWizardDlg(RunOptions options, ProfileChooser chooseProfile)
    : CDialog(IDD_UPGRADEWIZARD_DIALOG), m_runOptions(std::move(options)), m_chooseProfile(std::move(chooseProfile))
{
}

void CUpgradeWizardDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDCANCEL, m_CancelButton);
    DDX_Text(pDX, IDC_STATUS, m_Status);
    DDX_Text(pDX, IDC_ADDRESS, m_Address);
    DDX_Text(pDX, IDC_PASSWORD, m_Password);
}

BOOL CUpgradeWizardDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    std::string about = AfxLoadString(IDS_ABOUTBOX);
    if (!about.empty()) {
        AppendSystemMenu(0, {});
        AppendSystemMenu(IDM_ABOUTBOX, about);
    }
    if (m_chooseProfile) AppendSystemMenu(IDM_RESTOREPROFILE, kRestoreProfileEntry);

    m_Address = AfxLoadString(IDS_DEFAULT_ADDRESS);
    SetDlgItemText(IDC_INTRO, AfxLoadString(IDS_INTRODUCTION));
    SetDlgItemText(IDC_ADDRESS_LABEL, AfxLoadString(IDS_ADDRESS_LABEL));
    SetDlgItemText(IDC_PASSWORD_LABEL, AfxLoadString(IDS_PASSWORD_LABEL));
    SetDlgItemText(IDC_CONTINUE, AfxLoadString(IDS_CONTINUE));
    SetDlgItemText(IDCANCEL, AfxLoadString(IDS_CANCEL));
    UpdateData(FALSE);

    OpenLogAndWriteBanner();
    return TRUE;
}

void CUpgradeWizardDlg::OpenLogAndWriteBanner()
{
    char temp[255] = "";
    // Without a temporary directory of the user's own (no TEMP, TMPDIR or
    // home directory) there is no log path, and the log cannot be opened. A
    // TEMP too long for the buffer leaves it empty (the call returns the size
    // it needs): it is no temporary directory either, never the root.
    const DWORD length = GetEnvironmentVariable("TEMP", temp, sizeof temp);
    const bool known = length != 0 && length < sizeof temp;
    const std::string logPath = known ? std::string(temp) + "\\" + m_runOptions.logName : std::string();
    std::string problem;
    if (OpenRunLog(logPath, &problem) == 1) {
        m_lastRun.failure = {kLogNotOpenedText, MessageIcon::Exclamation, problem, std::nullopt};
        PostMessage(WM_QUIT, 0, 0);
    } else {
        m_logHostPath = HostPathOf(logPath).value_or(std::filesystem::path()).string();
    }
    WriteLogLine("\n\n\n\nNDXU Upgrade Started - " + AfxLoadString(IDS_NO_ADDRESS));
}

void CUpgradeWizardDlg::OnCancel()
{
    PostMessage(WM_QUIT, 0, 0);
    CDialog::OnCancel();
}

bool CUpgradeWizardDlg::OnCommand(int id)
{
    if (id == IDC_CONTINUE) {
        OnContinue();
        return true;
    }
    return CDialog::OnCommand(id);
}

void CUpgradeWizardDlg::OnContinue() { Run(m_runOptions); }

void CUpgradeWizardDlg::OnRestoreProfile()
{
    // As Continue: only while the inputs are there to be read.
    if (!IsControlVisible(IDC_CONTINUE)) return;
    UpdateData(TRUE);
    const std::optional<std::filesystem::path> chosen = m_chooseProfile("Restore Profile", HistoryToChooseFrom(m_Address));
    if (!chosen) return;
    RunOptions restore = m_runOptions;
    restore.restoreProfile = ProgramPathOf(*chosen);
    Run(restore);
}

void CUpgradeWizardDlg::Run(const RunOptions& options)
{
    m_lastRun = RunReport{};
    m_lastRun.log = m_logHostPath;
    WizardPage page(*this, m_Status, m_Address, m_Password, m_CancelButton, options, m_lastRun, m_runObservers);
    RunUpgrade(page);
    // The run's last entries come after its last report.
    m_lastRun.logError = RunLogWriteProblem();
}

void CUpgradeWizardDlg::OnSysCommand(UINT id, LPARAM lParam)
{
    if ((id & SC_ID_MASK) == IDM_RESTOREPROFILE && m_chooseProfile) {
        OnRestoreProfile();
        return;
    }
    if ((id & SC_ID_MASK) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    CDialog::OnSysCommand(id, lParam);
}
