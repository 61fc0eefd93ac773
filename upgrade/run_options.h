// SPDX-License-Identifier: MIT
// What a front-end asks of the wizard's runs beyond its own upgrade.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

struct RunOptions {
    // The two logins and the status page only: the device is not changed.
    bool checkOnly = false;
    // The package must hold a SHA256SUMS with a line for the image.
    bool requireChecksum = false;
    // The package must be signed by a trusted key even when none is
    // installed (also when NDXU_REQUIRE_SIGNATURE is set to anything but 0).
    bool requireSignature = false;
    // Key files trusted beside those of the trusted-keys directories.
    std::vector<std::string> trustedKeyFiles;
    // No device is flashed without its profile kept in its history: a run
    // whose history cannot be used stops before the device is touched, and
    // one whose profile download fails or cannot be kept stops before the
    // upload.
    bool requireBackup = false;
    // A device that already runs the package's version is not flashed again;
    // one that runs a newer version is not downgraded. The wizard window
    // flashes every device it is pointed at, as it always has.
    bool skipCurrent = false;
    bool refuseDowngrade = false;
    // After the upload, wait this long for the device to come back, and read
    // the version it runs then.
    std::optional<std::chrono::seconds> confirmWithin;
    // With confirmWithin: the version the device must come back with.
    std::string expectedVersion;
    // The run log's file name in the temporary directory.
    std::string logName = "ndxulog.txt";
    // Which attempt of a fleet's retries this run is, from 1.
    int attempt = 1;
};
