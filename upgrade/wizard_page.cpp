// SPDX-License-Identifier: MIT
#include "upgrade/wizard_page.h"

#include "log/run_log.h"
#include "log/secrets.h"
#include "platform/ui/host.h"
#include "platform/ui/win_app.h"

void WizardPage::ReadInputs()
{
    m_dialog.UpdateData(TRUE);
    RegisterSecret(m_password);
}

void WizardPage::ShowStatus(const std::string& text)
{
    m_status = text;
    m_dialog.UpdateData(FALSE);
}

void WizardPage::LogAndShow(const std::string& text)
{
    WriteLogLine(text);
    ShowStatus(text);
}

void WizardPage::DialogMessage(const std::string& text)
{
    m_dialog.MessageBox(text, nullptr, MB_OK);
    m_report.failure = {};
}

void WizardPage::ApplicationMessage(const std::string& text)
{
    AfxMessageBox(text, MB_OK);
    m_report.failure = {};
}

void WizardPage::GiveReason(const std::string& reason)
{
    WriteLogLine("Reason: " + reason);
    m_report.failure.reason = reason;
    AfxGetHost().SetMessageDetail(m_report.failure.reason);
    Reported();
}

void WizardPage::ShowFailure(const std::string& text, MessageIcon icon)
{
    TellNextStep();
    FailureShown(text, icon);
    if (icon == MessageIcon::None)
        m_dialog.MessageBox(text, nullptr, MB_OK);
    else
        AfxMessageBox(text, MB_OK);
}

void WizardPage::FailureShown(const std::string& text, MessageIcon icon)
{
    m_report.failure.message = text;
    m_report.failure.icon = icon;
    Reported();
}

void WizardPage::FailInStatusLine(const std::string& text)
{
    m_report.failure.reason = text;
    LogAndShow(text);
    Reported();
}

void WizardPage::ShowCancelAsDefault()
{
    m_cancelButton.ShowWindow(SW_SHOW);
    m_cancelButton.SetFocus();
    m_cancelButton.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void WizardPage::EnterPhase(RunPhase phase, const std::string& file)
{
    m_report.phase = phase;
    m_report.uploading = file;
    // The front-ends learn the phase first: a stop asked for from now on
    // is taken as this phase's, while the journal's line reaches the disk.
    for (RunObserver* observer : m_observers) observer->OnPhase(m_report);
    if (m_journal) m_journal->Phase(m_report);
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

void WizardPage::ReportImageSha256(const std::string& digest)
{
    m_report.imageSha256 = digest;
    Reported();
}

void WizardPage::ReportNextStep(const NextStep& next)
{
    WriteLogLine("Device State: " + next.stateText);
    WriteLogLine("Next Step: " + next.step);
    m_report.failure.next = next;
    AfxGetHost().SetMessageNextStep(next.Text());
    Reported();
}

void WizardPage::TellNextStep()
{
    if (!m_report.changed || m_report.failure.next) return;
    if (m_report.end == RunEnd::UploadNotStarted) ReportNextStep(DownloadModeStep());
    if (m_report.end == RunEnd::UploadFailed) ReportNextStep(PartialImageStep(m_report.uploading));
}

void WizardPage::EndMessageBoxes() { AfxGetHost().SetMessageNextStep({}); }

void WizardPage::ReportDeviceChanged()
{
    m_report.changed = true;
    Reported();
}

void WizardPage::Reported()
{
    m_report.logError = RunLogWriteProblem();
    for (RunObserver* observer : m_observers) observer->OnReport(m_report);
}
