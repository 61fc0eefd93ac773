// SPDX-License-Identifier: MIT
#include "upgrade/upgrade_run.h"

#include <optional>
#include <string>

#include "log/run_log.h"
#include "platform/ui/handler_report.h"
#include "platform/ui/resources.h"
#include "platform/ui/win_app.h"
#include "res/resource.h"
#include "upgrade/device_lock.h"
#include "upgrade/firmware_transfer.h"
#include "upgrade/package_check.h"
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

// Takes the device for the run, before its first request. Nothing has
// been sent to the device while the lock is taken; false when the run must
// stop.
bool HoldDevice(WizardPage& page, DeviceLock& lock, const std::string& address)
{
    page.SetEnd(RunEnd::InputRefused);
    if (!lock.Take(page, address)) return false;
    page.SetEnd(RunEnd::DeviceNotReached);
    return true;
}

// The check of the device: the logins and the status page only.
void RunCheck(WizardPage& page, DeviceLock& lock, const std::string& address, const std::string& password)
{
    page.EnterPhase(RunPhase::PackageCheck);
    const std::string package = DescribePackage(page);
    if (!HoldDevice(page, lock, address)) return;
    page.EnterPhase(RunPhase::WebLogin);
    page.ShowStatus(AfxLoadString(IDS_CONNECTING));
    const std::optional<std::string> version = CheckDevice(page, address, password, CheckPhases::Enter);
    if (!version) return;
    page.ReportVersionBefore(*version);
    page.LogAndShow("Firmware Version: " + *version);
    SayWhatAnUpgradeWouldDo(page, *version, package);
    page.SetEnd(RunEnd::Checked);
}

void RunSteps(WizardPage& page)
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
    DeviceLock lock;
    if (page.Options().checkOnly) return RunCheck(page, lock, address, password);

    PackageCheck package;
    page.EnterPhase(RunPhase::PackageCheck);
    page.SetEnd(RunEnd::PackageRefused);
    if (!package.Begin(page)) return;
    if (!HoldDevice(page, lock, address)) return;
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

    page.SetEnd(RunEnd::UploadNotStarted);
    if (!RunFirmwareTransfer(page, address, lock.History())) return;
    page.SetEnd(RunEnd::Completed);
    if (page.Options().confirmWithin) ConfirmUpgrade(page, address, password);
}

}  // namespace

void RunUpgrade(WizardPage& page)
{
    try {
        RunSteps(page);
    } catch (...) {
        // The exception goes on to the framework, which reports it.
        if (const std::optional<HandlerReport> report = HandlerReportOf(std::current_exception()))
            page.FailureShown(report->text, report->icon);
        throw;
    }
}
