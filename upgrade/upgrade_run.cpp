// SPDX-License-Identifier: MIT
#include "upgrade/upgrade_run.h"

#include <chrono>
#include <optional>
#include <string>

#include "log/run_log.h"
#include "platform/ui/handler_report.h"
#include "platform/ui/resources.h"
#include "platform/ui/win_app.h"
#include "res/resource.h"
#include "upgrade/device_lock.h"
#include "upgrade/firmware_transfer.h"
#include "upgrade/journal_reader.h"
#include "upgrade/package_check.h"
#include "upgrade/profile_restore.h"
#include "upgrade/run_journal.h"
#include "upgrade/upgrade_confirmation.h"
#include "upgrade/version_policy.h"
#include "upgrade/web_exchange.h"

namespace {

constexpr std::size_t kMaxAddressLength = 80;
constexpr std::size_t kMaxPasswordLength = 79;

// The string number of the message that refuses the inputs, or none.
// Lengths are counted in bytes.
std::optional<unsigned> CheckInputs(const std::string& address, const std::string& password)
{
    if (address.empty()) return IDS_NO_ADDRESS;
    if (address.size() > kMaxAddressLength) return IDS_ADDRESS_TOO_LONG;
    if (password.size() > kMaxPasswordLength) return IDS_PASSWORD_TOO_LONG;
    return std::nullopt;
}

// What a run holds from the device's lock to its end: the lock, and the
// journal in the device's history.
struct DeviceHold {
    DeviceLock lock;
    RunJournal& journal;
};

// Takes the device for the run, before its first request, and starts its
// journal. Nothing has been sent to the device while the lock is taken;
// false when the run must stop.
bool HoldDevice(WizardPage& page, DeviceHold& hold, const std::string& address)
{
    page.SetEnd(RunEnd::InputRefused);
    if (!hold.lock.Take(page, address)) return false;
    if (hold.lock.History().problem.empty()) {
        hold.journal.Open(hold.lock.History().directory, address, page.Report());
        page.KeepJournal(hold.journal);
    }
    page.SetEnd(RunEnd::DeviceNotReached);
    return true;
}

// The check of the device: the logins and the status page only.
void RunCheck(WizardPage& page, DeviceHold& hold, const std::string& address, const std::string& password)
{
    page.EnterPhase(RunPhase::PackageCheck);
    const std::string package = DescribePackage(page);
    if (!HoldDevice(page, hold, address)) return;
    page.EnterPhase(RunPhase::WebLogin);
    page.ShowStatus(AfxLoadString(IDS_CONNECTING));
    const std::optional<std::string> version = CheckDevice(page, address, password, CheckPhases::Enter);
    if (!version) return;
    page.ReportVersionBefore(*version);
    page.LogAndShow("Firmware Version: " + *version);
    SayWhatAnUpgradeWouldDo(page, *version, package);
    page.SetEnd(RunEnd::Checked);
}

// A kept profile put back: the logins, download mode, and prof.bin alone.
void RunRestore(WizardPage& page, DeviceHold& hold, const std::string& address, const std::string& password)
{
    if (!HoldDevice(page, hold, address)) return;
    page.SetEnd(RunEnd::InputRefused);
    const std::optional<std::string> profile = ProfileToRestore(page, hold.lock.History());
    if (!profile) return;
    page.SetEnd(RunEnd::DeviceNotReached);
    page.EnterPhase(RunPhase::WebLogin);
    page.ShowStatus(AfxLoadString(IDS_CONNECTING));
    if (!RunWebExchange(page, address, password, [](const std::string&) { return true; })) return;
    page.SetEnd(RunEnd::UploadNotStarted);
    if (!RunProfileRestore(page, address, hold.lock.History(), *profile)) return;
    page.SetEnd(RunEnd::ProfileRestored);
}

// A device left in download mode by a run of this package: the run goes on
// from the FTP phase. Whether it may.
bool MayResume(WizardPage& page, PackageCheck& package, const DeviceHistory& history)
{
    page.SetEnd(RunEnd::PackageRefused);
    if (!package.Finish(page)) return false;
    const Journal journal = ReadJournal(history.directory);
    const JournalRun* resumed =
        history.problem.empty()
            ? RunToResume(journal, package.Version(), page.Report().imageSha256, std::chrono::system_clock::now())
            : nullptr;
    if (resumed) {
        WriteLogLine("Resuming Run " + resumed->run + " of " + resumed->started + " in Download Mode");
    } else if (page.Options().resumeWithoutJournal) {
        WriteLogLine("Resuming in Download Mode without a Run in the Journal");
    } else {
        const std::string text = "No Run to Resume: the journal of the LAN Modem "
                                 "shows no run of this package "
                                 "in download mode within the last 24 hours";
        page.SetEnd(RunEnd::InputRefused);
        page.LogAndShow(text);
        page.GiveReason(history.problem.empty()
                            ? (journal.problem.empty() ? "see ndxu-upgrade --history" : journal.problem)
                            : history.problem);
        page.ShowFailure(text, MessageIcon::Exclamation);
        page.ShowCancelAsDefault();
        return false;
    }
    page.LogAndShow("Web Pages Skipped: the LAN Modem Waits in Download Mode");
    page.ReportDeviceChanged();
    return true;
}

void TransferAndConfirm(WizardPage& page, DeviceHold& hold, const std::string& address, const std::string& password)
{
    page.SetEnd(RunEnd::UploadNotStarted);
    if (!RunFirmwareTransfer(page, address, hold.lock.History())) return;
    page.SetEnd(RunEnd::Completed);
    if (page.Options().confirmWithin) ConfirmUpgrade(page, address, password);
}

void RunSteps(WizardPage& page, RunJournal& journal)
{
    page.EnterPhase(RunPhase::InputCheck);
    WriteLogLine("Continue Button Pushed");
    AfxSetWaitCursor();
    page.ReadInputs();
    const std::string address = page.Address();
    const std::string password = page.Password();
    WriteLogLine("Server Specified: " + address);

    if (std::optional<unsigned> refusal = CheckInputs(address, password)) {
        page.SetEnd(RunEnd::InputRefused);
        page.ShowFailure(AfxLoadString(*refusal), MessageIcon::None);
        return;
    }

    page.SetEnd(RunEnd::DeviceNotReached);
    page.ShowCancelAsDefault();
    // Held to the run's end, whichever way it ends.
    DeviceHold hold{{}, journal};
    if (page.Options().checkOnly) return RunCheck(page, hold, address, password);
    if (!page.Options().restoreProfile.empty()) return RunRestore(page, hold, address, password);

    PackageCheck package;
    page.EnterPhase(RunPhase::PackageCheck);
    page.SetEnd(RunEnd::PackageRefused);
    if (!package.Begin(page)) return;
    if (!HoldDevice(page, hold, address)) return;
    if (page.Options().resume) {
        if (!MayResume(page, package, hold.lock.History())) return;
        return TransferAndConfirm(page, hold, address, password);
    }
    page.EnterPhase(RunPhase::WebLogin);
    page.ShowStatus(AfxLoadString(IDS_CONNECTING));
    // Before the download-mode form: the image is judged, and the device's
    // version weighed against the package's.
    const auto mayEnterDownloadMode = [&](const std::string& version) {
        page.SetEnd(RunEnd::PackageRefused);
        if (!package.Finish(page)) return false;
        page.SetEnd(RunEnd::DeviceNotReached);
        return VersionAllowsFlash(page, version, package.Version());
    };
    if (!RunWebExchange(page, address, password, mayEnterDownloadMode)) return;
    TransferAndConfirm(page, hold, address, password);
}

}  // namespace

void RunUpgrade(WizardPage& page)
{
    RunJournal journal(page.Options());
    try {
        RunSteps(page, journal);
    } catch (...) {
        // The exception goes on to the framework, which reports it.
        if (const std::optional<HandlerReport> report = HandlerReportOf(std::current_exception()))
            page.FailureShown(report->text, report->icon);
        page.TellNextStep();
        journal.End(page.Report());
        throw;
    }
    page.TellNextStep();
    page.EndMessageBoxes();
    journal.End(page.Report());
}
