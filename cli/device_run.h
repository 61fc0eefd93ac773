// SPDX-License-Identifier: MIT
// One device's upgrade run on the console: the wizard's run on the console
// host, its exit status, and with --json its JSON lines.
#pragma once

#include <string>

#include "cli/options.h"

// Runs the upgrade (or the check) that `options` ask for with `password`;
// returns the exit status. The current directory is the package directory.
int RunOneDevice(const Options& options, const std::string& password);
