// SPDX-License-Identifier: MIT
// The wizard window as the upgrade run drives it: its exchanged values, its
// controls, its status line and its message boxes.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "upgrade/run_journal.h"
#include "upgrade/run_observer.h"
#include "upgrade/run_options.h"
#include "upgrade/run_report.h"

class WizardPage {
public:
    WizardPage(CDialog& dialog, std::string& status, const std::string& address, const std::string& password,
               CButton& cancelButton, const RunOptions& options, RunReport& report,
               const std::vector<RunObserver*>& observers)
        : m_dialog(dialog), m_status(status), m_address(address), m_password(password),
          m_cancelButton(cancelButton), m_options(options), m_report(report), m_observers(observers)
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

    // A message box that tells no failure: the dialog's own (no icon) or the
    // application's (the exclamation icon). A reason given before it is its
    // own, and is no failure's.
    void DialogMessage(const std::string& text);
    void ApplicationMessage(const std::string& text);

    // The failure the run ends with (RunReport::failure), as the run learns it.
    // Why the next message box comes: a "Reason: " log entry, and on the
    // console the line after that box.
    void GiveReason(const std::string& reason);
    // Shows the failure's message box: the dialog's own for no icon, the
    // application's for the exclamation icon; a changed device's next step
    // is told first.
    void ShowFailure(const std::string& text, MessageIcon icon);
    // The failure's message box, shown by a layer below the run (a page
    // fetch's report, the framework's report of an exception).
    void FailureShown(const std::string& text, MessageIcon icon);
    // A failure told in the status line alone: logged and shown, and its
    // text is the failure's reason.
    void FailInStatusLine(const std::string& text);

    // A transfer's progress, shown while it runs; the end hides it.
    void ShowProgress(const ProgressReport& progress) { m_dialog.ShowProgress(progress); }
    void EndProgress() { m_dialog.EndProgress(); }

    void SetText(int id, const std::string& text) { m_dialog.SetDlgItemText(id, text); }
    void Show(int id) { m_dialog.GetDlgItem(id)->ShowWindow(SW_SHOW); }
    void Hide(int id) { m_dialog.GetDlgItem(id)->ShowWindow(SW_HIDE); }
    // Shows the Cancel button, focused, with the default-button look.
    void ShowCancelAsDefault();

    // What the run reports, as it learns it.
    // The run enters `phase`; for an upload, `file` is the device's name of
    // the file uploaded.
    void EnterPhase(RunPhase phase, const std::string& file = {});
    void SetEnd(RunEnd end);
    void ReportVersionBefore(const std::string& version);
    void ReportVersionAfter(const std::string& version);
    void ReportBackup(const std::string& hostPath);
    void ReportPackage(const std::string& version, const std::string& signedBy, const std::string& trustedComment);
    void ReportImageSha256(const std::string& digest);
    // What the device is left with and what to do next: logged as
    // "Device State: " and "Next Step: " entries, and told to the next
    // message box.
    void ReportNextStep(const NextStep& next);
    // A run that fails after the device was changed says what the device is
    // left with, as its end tells it, unless the run has said it already.
    // ShowFailure says it before its box.
    void TellNextStep();
    // The run shows no more boxes: a next step told since the last one is no
    // later box's.
    void EndMessageBoxes();
    // From now on each phase the run enters is a line of `journal`.
    void KeepJournal(RunJournal& journal) { m_journal = &journal; }

    const RunReport& Report() const { return m_report; }
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
    const std::vector<RunObserver*>& m_observers;
    RunJournal* m_journal = nullptr;
};
