// SPDX-License-Identifier: MIT
// ndxu-upgrade for several devices (an inventory, or --address given more
// than once): each device is upgraded by a process of its own, a few at a
// time, and the run ends with a summary of every device.
#pragma once

#include "cli/options.h"

// Runs the fleet the options name, from reading its devices to the summary;
// returns the exit status (0 every device completed, 12 some did not, 2 bad
// usage, 130 and 143 stopped by SIGINT and SIGTERM).
int RunFleet(const Options& options);
