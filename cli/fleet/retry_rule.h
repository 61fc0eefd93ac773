// SPDX-License-Identifier: MIT
// Which failed attempts of a fleet's device are tried again, and after how
// long: only an attempt that ended before the download-mode form was posted,
// so that a device the run may have changed is never touched again.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "upgrade/run_result.h"

inline constexpr std::chrono::milliseconds kRetryBase{1000};  // the delay after the first attempt
inline constexpr std::chrono::milliseconds kRetryCap{30000};  // the longest delay

// Whether an attempt that ended with `result` may be tried again, its phase
// lines having told `lastPhase` last (none: no phase was told): the device
// was not reached, or its process was stopped after its time, before the
// download_mode phase. Never after it, nor for any other result (the
// password, the device, the package refused, the device busy, interrupted).
// Whether time is left for another attempt is the supervisor's to judge: a
// process stopped at the device's deadline has none.
bool MayRetry(RunResult result, const std::optional<std::string>& lastPhase);

// The wait before the attempt that follows `failedAttempt` (counted from
// 1): a delay of kRetryBase doubled for each attempt before it, at most
// kRetryCap, jittered by `unit` (drawn uniformly from 0 to 1) between half
// the delay (0) and the whole delay (1).
std::chrono::milliseconds RetryWait(int failedAttempt, double unit);
