// SPDX-License-Identifier: MIT
#include "upgrade/wizard_page.h"

#include "log/run_log.h"
#include "platform/ui/host.h"
#include "log/secrets.h"
#include "platform/ui/win_app.h"

void WizardPage::ReadInputs()
{
    m_dialog.UpdateData(TRUE);
    RegisterSecret(m_password);
}

void WizardPage::ShowStatus(const std::string& text)
{
    m_status = MaskSecrets(text);
    m_dialog.UpdateData(FALSE);
}

void WizardPage::LogAndShow(const std::string& text)
{
    WriteLogLine(text);
    ShowStatus(text);
}

void WizardPage::ExplainNextMessage(const std::string& reason)
{
    WriteLogLine("Reason: " + reason);
    AfxGetHost().SetMessageDetail(MaskSecrets(reason));
}

void WizardPage::DialogMessage(const std::string& text) { m_dialog.MessageBox(text, nullptr, MB_OK); }

void WizardPage::ApplicationMessage(const std::string& text) { AfxMessageBox(text, MB_OK); }

void WizardPage::ShowCancelAsDefault()
{
    m_cancelButton.ShowWindow(SW_SHOW);
    m_cancelButton.SetFocus();
    m_cancelButton.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void WizardPage::SetEnd(RunEnd end)
{
    m_report.end = end;
    Reported();
}

void WizardPage::ReportVersionBefore(const std::string& version)
{
    m_report.versionBefore = version;
    Reported();
}

void WizardPage::ReportVersionAfter(const std::string& version)
{
    m_report.versionAfter = version;
    Reported();
}

void WizardPage::ReportBackup(const std::string& hostPath)
{
    m_report.backup = hostPath;
    Reported();
}

void WizardPage::ReportPackage(const std::string& version, const std::string& signedBy,
                               const std::string& trustedComment)
{
    m_report.packageVersion = version;
    m_report.signedBy = signedBy;
    m_report.trustedComment = trustedComment;
    Reported();
}

void WizardPage::ReportDeviceChanged()
{
    m_report.changed = true;
    Reported();
}

void WizardPage::Reported()
{
    if (m_observer) m_observer(m_report);
}
