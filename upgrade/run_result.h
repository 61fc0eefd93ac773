// SPDX-License-Identifier: MIT
// The results ndxu-upgrade reports: each one's name in the JSON lines and the
// summary, and the exit status it gives. A single run ends with the result of
// its run's end (or is interrupted); a fleet run gives a device results of
// its own when the device's process gave none that stands.
#pragma once

#include <optional>
#include <string_view>

#include "upgrade/run_end.h"

enum class RunResult {
    Completed,
    Checked,
    UpToDate,
    InputRefused,
    PackageRefused,
    DeviceNotReached,
    PasswordRefused,
    WrongDevice,
    DownloadModeRefused,
    LogNotOpened,  // the run never began: its log could not be opened
    UploadNotStarted,
    UploadFailed,
    NotConfirmed,
    DowngradeRefused,
    DeviceBusy,  // another run held the device
    ProfileRestored,
    Interrupted,  // stopped by a signal before it gave another result
    Crashed,      // a fleet's device process that ended without a result
    TimedOut,     // a fleet's device process stopped after its time
    NotStarted,   // a fleet's device the run never started, or whose process could not be started
};

RunResult ResultOf(RunEnd end);

// "completed", "checked", "password_refused", ..., "not_started".
const char* ResultName(RunResult result);
// The result called `name`; none for a name that is no result's.
std::optional<RunResult> ResultNamed(std::string_view name);

// The exit status the result gives; none where the process's end decides
// it (interrupted, crashed, timed out) or there is no process (not started).
std::optional<int> ExitStatusOf(RunResult result);

// Whether the result is what the run asked for: an upgrade (or no need of
// one), or a check.
bool Succeeded(RunResult result);

int ExitStatusOf(RunEnd end);

