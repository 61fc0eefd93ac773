// SPDX-License-Identifier: MIT
// The console front-end's command line.
#pragma once

#include <optional>
#include <string>

#include "cli/fleet/fleet_options.h"
#include "upgrade/exit_status.h"
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
    // --metrics-file: where the run's metrics go at its end (an absolute
    // path of this system: the run works in the package directory).
    std::optional<std::string> metricsFile;
    // --history: the past runs of one device (its address), or of every
    // device when empty; nothing is sent to any device.
    std::optional<std::string> history;
    RunOptions run;
    FleetOptions fleet;  // several devices
};

inline constexpr int kDefaultConfirmSeconds = 300;

// Parses the command line. Returns the options, or the exit status when the
// program is done already (help, version, bad usage; the text is printed).
struct ParseResult {
    std::optional<Options> options;
    int exitStatus = kExitCompleted;
};
ParseResult ParseOptions(int argc, char** argv);
