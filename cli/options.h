// SPDX-License-Identifier: MIT
// The console front-end's command line.
#pragma once

#include <optional>
#include <string>

#include "cli/fleet/fleet_options.h"
#include "upgrade/run_options.h"

struct Options {
    std::optional<std::string> address;  // none: the field's default
    std::string packageDirectory = ".";
    std::optional<int> httpPort;
    std::optional<int> ftpPort;
    bool passwordFromStdin = false;
    bool useAlternates = false;  // upload alternates found in the staging directory
    bool ftpPassive = false;
    bool quiet = false;     // no progress meter
    bool progress = false;  // a progress meter even when standard error is no terminal
    bool json = false;      // JSON lines on standard output, the rest on standard error
    RunOptions run;
    FleetOptions fleet;  // several devices
};

inline constexpr int kDefaultConfirmSeconds = 300;

// Exit statuses of ndxu-upgrade; 128 + the signal's number when a signal
// interrupted the run.
inline constexpr int kExitCompleted = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInputRefused = 3;
inline constexpr int kExitDeviceNotReached = 4;
inline constexpr int kExitPasswordRefused = 5;
inline constexpr int kExitWrongDevice = 6;
inline constexpr int kExitDownloadModeRefused = 7;
inline constexpr int kExitLogNotOpened = 8;
inline constexpr int kExitUploadNotStarted = 9;
inline constexpr int kExitUploadFailed = 10;
inline constexpr int kExitNotConfirmed = 11;
inline constexpr int kExitDowngradeRefused = 13;
inline constexpr int kExitDeviceBusy = 14;

// Parses the command line. Returns the options, or the exit status when the
// program is done already (help, version, bad usage; the text is printed).
struct ParseResult {
    std::optional<Options> options;
    int exitStatus = kExitCompleted;
};
ParseResult ParseOptions(int argc, char** argv);
