// SPDX-License-Identifier: MIT
#include "upgrade/version_policy.h"

#include <optional>

#include "log/run_log.h"
#include "upgrade/package_version.h"

namespace {

// What a device's version asks of a run that would flash the package's.
enum class VersionStep {
    Flash,           // older, unknown, or the front-end asked for it anyway
    AlreadyCurrent,  // it runs the package's version
    Downgrade,       // it runs a newer one
};

VersionStep StepFor(const RunOptions& options, const std::string& found, const std::string& package)
{
    const std::optional<int> order = CompareVersions(found, package);
    if (!order) return VersionStep::Flash;
    if (*order == 0 && options.skipCurrent) return VersionStep::AlreadyCurrent;
    if (*order > 0 && options.refuseDowngrade) return VersionStep::Downgrade;
    return VersionStep::Flash;
}

std::string DowngradeText(const std::string& found, const std::string& package)
{
    return "Downgrade Refused: the LAN Modem runs " + found + ", newer than the package's " + package;
}

}  // namespace

bool VersionAllowsFlash(WizardPage& page, const std::string& found, const std::string& package)
{
    WriteLogLine("Firmware Version: " + found);
    switch (StepFor(page.Options(), found, package)) {
    case VersionStep::Flash: return true;
    case VersionStep::AlreadyCurrent:
        page.SetEnd(RunEnd::UpToDate);
        page.LogAndShow("Firmware Already Current: " + package);
        return false;
    case VersionStep::Downgrade:
        page.SetEnd(RunEnd::DowngradeRefused);
        WriteLogLine(DowngradeText(found, package));
        page.ShowStatus(DowngradeText(found, package));
        page.ShowFailure(DowngradeText(found, package), MessageIcon::None);
        return false;
    }
    return false;
}

void SayWhatAnUpgradeWouldDo(WizardPage& page, const std::string& found, const std::string& package)
{
    if (package.empty()) return;
    switch (StepFor(page.Options(), found, package)) {
    case VersionStep::Flash:
        page.ReportDeviceChanged();
        page.LogAndShow("An Upgrade Would Flash: " + found + " -> " + package);
        return;
    case VersionStep::AlreadyCurrent: page.LogAndShow("Firmware Already Current: " + package); return;
    case VersionStep::Downgrade: page.LogAndShow("An Upgrade Would Be Refused: " + DowngradeText(found, package)); return;
    }
}
