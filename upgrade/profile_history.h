// SPDX-License-Identifier: MIT
// The history of profile backups: every profile a run downloads is also kept,
// dated, in a directory of the device's own below the staging directory:
// C:\varn\ndxu511\history\<device>\profback-<UTC yyyymmddThhmmssZ>.bin, the
// device named as DeviceFileName gives it. Nothing there is ever replaced or
// removed, so upgrading one device cannot cost another its backup.
#pragma once

#include <chrono>
#include <optional>
#include <string>

inline constexpr char kHistoryDirectory[] = "C:\\varn\\ndxu511\\history";

// Why the history directory is not the user's own (a symbolic link, another
// user's, writable by group or others); none when it is ours or not made yet.
std::optional<std::string> HistoryDirectoryProblem();

// The device's history directory, made (readable by its owner only) when it
// is missing.
struct DeviceHistory {
    std::string directory;  // C:\varn\ndxu511\history\<device>
    std::string problem;    // why it cannot be used; empty when it can
};
DeviceHistory OpenDeviceHistory(const std::string& address);

// The name in `directory` for a backup made at `when`; the `n`th backup made
// within the same second gets "-n" (n from 2) before ".bin".
std::string HistoryFileName(const std::string& directory, std::chrono::system_clock::time_point when, int n);
