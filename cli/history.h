// SPDX-License-Identifier: MIT
// ndxu-upgrade --history [DEVICE]: the past runs of a device, or of every
// device, read from the journals in the profile history (see
// upgrade/run_journal.h). Nothing is sent to any device.
#pragma once

#include "cli/options.h"

// Prints the runs as a table on standard output, or with --json as JSON
// lines; returns the exit status (0, or 2 when the history cannot be read).
int ShowHistory(const Options& options);
