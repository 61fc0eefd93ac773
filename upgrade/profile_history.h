// SPDX-License-Identifier: MIT
// The history of profile backups: every profile a run downloads is also kept,
// dated, in a directory of the device's own below the staging directory:
// C:\varn\ndxu511\history\<device>\profback-<UTC yyyymmddThhmmssZ>.bin, the
// device named as DeviceDirectoryName gives it. Nothing there is ever replaced or
// removed, so upgrading one device cannot cost another its backup.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "upgrade/device_identity.h"

inline constexpr char kHistoryDirectory[] = "C:\\varn\\ndxu511\\history";

// Why the history directory is not the user's own (a symbolic link, another
// user's, writable by group or others); none when it is ours or not made yet.
std::optional<std::string> HistoryDirectoryProblem();

// The device's history directory, made (readable by its owner only) when it
// is missing, with the staging directory above it. Histories were once named after the address as it was given,
// whatever the ports: such a directory of `address` is moved to the
// identity's name the first time, when nothing has that name yet.
struct DeviceHistory {
    std::string directory;  // C:\varn\ndxu511\history\<device>
    std::string problem;    // why it cannot be used; empty when it can
    std::string movedFrom;  // the directory it was moved from just now, if it was
};
DeviceHistory OpenDeviceHistory(const DeviceIdentity& identity, const std::string& address);

// The name in `directory` for a backup made at `when`; the `n`th backup made
// within the same second gets "-n" (n from 2) before ".bin".
std::string HistoryFileName(const std::string& directory, std::chrono::system_clock::time_point when, int n);
