// SPDX-License-Identifier: MIT
// ndxu-upgrade: the upgrade run of the wizard window, on the console.

#include <cstdlib>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/alternates.h"
#include "cli/device_run.h"
#include "cli/fleet/fleet.h"
#include "cli/history.h"
#include "cli/options.h"
#include "cli/password.h"
#include "platform/console/standard_streams.h"
#include "platform/files/environment.h"
#include "platform/inet/layer_settings.h"

namespace {

constexpr char kProgram[] = "ndxu-upgrade: ";

// The device's ports and the FTP mode, as the layer's settings.
void SetLayerSettings(const Options& options)
{
    if (options.httpPort) SetEnvironmentVariable("NDXU_HTTP_PORT", std::to_string(*options.httpPort).c_str());
    if (options.ftpPort) SetEnvironmentVariable("NDXU_FTP_PORT", std::to_string(*options.ftpPort).c_str());
    if (options.ftpPassive) SetEnvironmentVariable("NDXU_FTP_PASSIVE", "1");
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

bool EnterPackageDirectory(const std::string& directory)
{
    if (SetCurrentDirectory(directory.c_str())) return true;
    std::cerr << kProgram << "cannot enter the package directory " << directory << '\n';
    return false;
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
    if (options.history) return ShowHistory(options);
    if (options.fleet.IsFleet()) return RunFleet(options);
    const std::optional<std::string> password = ReadPassword(options.passwordFromStdin);
    if (!password) return kExitUsage;
    if (!EnterPackageDirectory(options.packageDirectory) || !AlternatesAllowed(options)) return kExitUsage;
    return RunOneDevice(options, *password);
}
