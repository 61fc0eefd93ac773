// SPDX-License-Identifier: MIT
// What a front-end asks of the wizard's runs beyond its own upgrade.
#pragma once

#include <chrono>
#include <optional>
#include <string>

struct RunOptions {
    // The two logins and the status page only: the device is not changed.
    bool checkOnly = false;
    // The package must hold a SHA256SUMS with a line for the image.
    bool requireChecksum = false;
    // After the upload, wait this long for the device to come back, and read
    // the version it runs then.
    std::optional<std::chrono::seconds> confirmWithin;
    // With confirmWithin: the version the device must come back with.
    std::string expectedVersion;
    // The run log's file name in the temporary directory.
    std::string logName = "ndxulog.txt";
};
