// SPDX-License-Identifier: MIT
// The end of a fleet run: the summary table (with --check, the inventory
// report: which device runs which version, which did not answer), the
// summary's JSON line and the exit status.
#pragma once

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <optional>

#include "cli/fleet/fleet_supervisor.h"

inline constexpr int kExitSomeDevicesFailed = 12;

struct FleetCounts {
    int devices = 0;
    int completed = 0;  // upgraded (with --check: checked)
    int upToDate = 0;   // already on the package's version: not flashed again
    int failed = 0;
    int notStarted = 0;
};

FleetCounts CountsOf(const FleetOutcome& outcome);

// 0 when every device completed, was up to date (or was checked), 12 when some did not,
// 130 or 143 when a signal stopped the run.
int FleetExitStatus(const FleetOutcome& outcome);

// One row per device: result, versions, duration, backup and log files;
// below its row, for a device tried again, after how many attempts, then a
// failure's reason, and below that, for a log that lost entries, why; the
// counts last. With
// `checkOnly`, the version found instead of the versions and the backup.
// With `columns` (a terminal's width) every line fits in them: the widest
// cells are shortened first (paths in the middle, keeping the file name),
// and what still does not fit is cut, each cut ending in "...".
void WriteSummaryTable(std::ostream& out, const FleetOutcome& outcome, bool checkOnly,
                       std::optional<int> columns = std::nullopt);

nlohmann::ordered_json SummaryObject(const FleetOutcome& outcome);
