// SPDX-License-Identifier: MIT
// ndxu-upgrade: the upgrade run of the wizard window, on the console.

#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/upgrade_wizard_app.h"
#include "cli/alternates.h"
#include "cli/interruption.h"
#include "cli/options.h"
#include "cli/password.h"
#include "cli/standard_streams.h"
#include "platform/console/console_host.h"
#include "platform/inet/layer_settings.h"
#include "res/program_resources.h"
#include "res/resource.h"

namespace {

constexpr char kProgram[] = "ndxu-upgrade: ";

int ExitStatusOf(RunEnd end)
{
    switch (end) {
    case RunEnd::Completed:
    case RunEnd::Checked: return kExitCompleted;
    case RunEnd::InputRefused:
    case RunEnd::PackageRefused: return kExitInputRefused;
    case RunEnd::DeviceNotReached: return kExitDeviceNotReached;
    case RunEnd::PasswordRefused: return kExitPasswordRefused;
    case RunEnd::WrongDevice: return kExitWrongDevice;
    case RunEnd::DownloadModeRefused: return kExitDownloadModeRefused;
    case RunEnd::None: return kExitLogNotOpened;
    case RunEnd::UploadNotStarted: return kExitUploadNotStarted;
    case RunEnd::UploadFailed: return kExitUploadFailed;
    case RunEnd::NotConfirmed: return kExitNotConfirmed;
    }
    return kExitDeviceNotReached;
}

// The device's ports and the FTP mode, as the layer's settings.
void SetLayerSettings(const Options& options)
{
    if (options.httpPort) setenv("NDXU_HTTP_PORT", std::to_string(*options.httpPort).c_str(), 1);
    if (options.ftpPort) setenv("NDXU_FTP_PORT", std::to_string(*options.ftpPort).c_str(), 1);
    if (options.ftpPassive) setenv("NDXU_FTP_PASSIVE", "1", 1);
}

// A bad NDXU_* setting is bad usage, said before anything starts.
bool SettingsAreValid()
{
    try {
        ReadLayerSettings();
        return true;
    } catch (const std::invalid_argument& e) {
        std::cerr << kProgram << e.what() << '\n';
        return false;
    }
}

// Alternates are uploaded only when asked for; otherwise their presence stops
// the run before the device is touched. A check uploads nothing.
bool AlternatesAllowed(const Options& options)
{
    if (options.run.checkOnly || options.useAlternates) return true;
    const std::vector<std::string> alternates = AlternatesInStaging();
    if (alternates.empty()) return true;
    std::cerr << kProgram << AlternatesRefusal(alternates) << '\n';
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!EnsureStandardDescriptors()) return kExitUsage;
    IgnoreBrokenPipes();

    ParseResult parsed = ParseOptions(argc, argv);
    if (!parsed.options) return parsed.exitStatus;
    const Options& options = *parsed.options;

    SetLayerSettings(options);
    if (!SettingsAreValid()) return kExitUsage;
    const std::string password = ReadPassword(options.passwordFromStdin);
    if (::chdir(options.packageDirectory.c_str()) != 0) {
        std::cerr << kProgram << "cannot enter the package directory " << options.packageDirectory << '\n';
        return kExitUsage;
    }
    if (!AlternatesAllowed(options)) return kExitUsage;

    ConsoleHost host(std::cout, std::cerr);
    if (!options.quiet && (options.progress || ::isatty(STDERR_FILENO) == 1)) host.EnableProgressMeter();
    AfxSetHost(&host);
    AfxSetResourceModule(&ProgramResources());

    InterruptionWatch interruptions;
    interruptions.Start();
    host.SetStatusObserver([&](const std::string& status) { interruptions.Note(status); });

    CUpgradeWizardApp app;
    RunEnd end = RunEnd::None;
    // The user fills in the fields and presses Continue; when the run has
    // ended, the window is closed.
    host.Queue([&] {
        CUpgradeWizardDlg& wizard = *app.Wizard();
        wizard.SetRunOptions(options.run);
        if (options.address) wizard.SetDlgItemText(IDC_ADDRESS, *options.address);
        wizard.SetDlgItemText(IDC_PASSWORD, password);
        wizard.DispatchCommand(IDC_CONTINUE);
        end = wizard.LastRunEnd();
    });
    AfxWinMain(app);
    return ExitStatusOf(end);
}
