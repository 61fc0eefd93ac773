// SPDX-License-Identifier: MIT
#include "cli/fleet/fleet_child.h"

#include "platform/files/environment.h"
#include "platform/files/paths.h"
#include "upgrade/device_identity.h"

std::vector<std::string> DeviceArguments(const Options& options, const FleetDevice& device, int attempt)
{
    // Values go with "=", so that one starting with "-" is no option.
    std::vector<std::string> args = {"--json",
                                     "--password-stdin",
                                     "--address=" + device.address,
                                     "--http-port=" + std::to_string(device.ports.http),
                                     "--ftp-port=" + std::to_string(device.ports.ftp),
                                     "--log-name=" + DeviceLogName(device),
                                     "--package=" + options.packageDirectory,
                                     // No device of a fleet is flashed without its backup.
                                     "--require-backup",
                                     "--attempt=" + std::to_string(attempt)};
    const RunOptions& run = options.run;
    if (run.checkOnly) args.push_back("--check");
    if (run.confirmWithin) args.push_back("--confirm=" + std::to_string(run.confirmWithin->count()));
    if (!run.expectedVersion.empty()) args.push_back("--expect-version=" + run.expectedVersion);
    if (run.requireChecksum) args.push_back("--require-checksum");
    if (run.requireSignature) args.push_back("--require-signature");
    for (const std::string& key : run.trustedKeyFiles) args.push_back("--trusted-key=" + key);
    if (!run.skipCurrent) args.push_back("--force");
    if (!run.refuseDowngrade) args.push_back("--allow-downgrade");
    if (options.ftpPassive) args.push_back("--ftp-passive");
    if (options.useAlternates) args.push_back("--use-alternates");
    return args;
}

std::string DeviceLogName(const FleetDevice& device)
{
    return "ndxulog-" + DeviceDirectoryName(IdentityOf(device)) + ".txt";
}

std::optional<std::string> DeviceLogPath(const FleetDevice& device)
{
    char temp[4096];
    const DWORD length = GetEnvironmentVariable("TEMP", temp, sizeof temp);
    if (length == 0 || length >= sizeof temp) return std::nullopt;
    const std::optional<std::filesystem::path> path = HostPathOf(std::string(temp) + "\\" + DeviceLogName(device));
    if (!path) return std::nullopt;
    return path->string();
}
