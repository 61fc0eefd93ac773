// SPDX-License-Identifier: MIT
// The wizard window as the upgrade run drives it: its exchanged values, its
// controls, its status line and its message boxes.
#pragma once

#include <string>

#include "platform/ui/dialog.h"
#include "upgrade/run_options.h"
#include "upgrade/run_report.h"

class WizardPage {
public:
    WizardPage(CDialog& dialog, std::string& status, const std::string& address, const std::string& password,
               CButton& cancelButton, const RunOptions& options, RunReport& report,
               const RunReportObserver& observer)
        : m_dialog(dialog), m_status(status), m_address(address), m_password(password),
          m_cancelButton(cancelButton), m_options(options), m_report(report), m_observer(observer)
    {
    }

    const RunOptions& Options() const { return m_options; }

    // Reads the address, the password and the status from the controls; the
    // password is masked from then on in everything shown or logged.
    void ReadInputs();
    const std::string& Address() const { return m_address; }
    const std::string& Password() const { return m_password; }

    // Shows a status text: assigns it, then writes the values to the controls.
    void ShowStatus(const std::string& text);
    // Writes `text` as a log entry, then shows it as the status text.
    void LogAndShow(const std::string& text);
    // Assigns a status text that the next WriteValues shows.
    void SetStatusValue(const std::string& text) { m_status = text; }
    void WriteValues() { m_dialog.UpdateData(FALSE); }

    // Why the next message box comes: a "Reason: " log entry, and on the
    // console the line after that box.
    void ExplainNextMessage(const std::string& reason);

    // The dialog's own message box: no icon.
    void DialogMessage(const std::string& text);
    // The application's message box: the exclamation icon.
    void ApplicationMessage(const std::string& text);

    // A transfer's progress, shown while it runs; the end hides it.
    void ShowProgress(const ProgressReport& progress) { m_dialog.ShowProgress(progress); }
    void EndProgress() { m_dialog.EndProgress(); }

    void SetText(int id, const std::string& text) { m_dialog.SetDlgItemText(id, text); }
    void Show(int id) { m_dialog.GetDlgItem(id)->ShowWindow(SW_SHOW); }
    void Hide(int id) { m_dialog.GetDlgItem(id)->ShowWindow(SW_HIDE); }
    // Shows the Cancel button, focused, with the default-button look.
    void ShowCancelAsDefault();

    // What the run reports, as it learns it.
    void SetEnd(RunEnd end);
    void ReportVersionBefore(const std::string& version);
    void ReportVersionAfter(const std::string& version);
    void ReportBackup(const std::string& hostPath);
    void ReportPackage(const std::string& version, const std::string& signedBy, const std::string& trustedComment);
    // The device was changed: its download-mode form was answered (for a
    // check: an upgrade would flash it).
    void ReportDeviceChanged();

private:
    void Reported();

    CDialog& m_dialog;
    std::string& m_status;
    const std::string& m_address;
    const std::string& m_password;
    CButton& m_cancelButton;
    const RunOptions& m_options;
    RunReport& m_report;
    const RunReportObserver& m_observer;
};
