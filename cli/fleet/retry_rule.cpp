// SPDX-License-Identifier: MIT
#include "cli/fleet/retry_rule.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// The phases before the download-mode form: nothing of the device has
// changed yet.
constexpr std::array<std::string_view, 5> kPhasesBeforeTheChange = {"none", "input_check", "package_check",
                                                                     "web_login", "version_check"};

bool BeforeTheChange(const std::optional<std::string>& lastPhase)
{
    return !lastPhase ||
           std::find(kPhasesBeforeTheChange.begin(), kPhasesBeforeTheChange.end(), *lastPhase) !=
               kPhasesBeforeTheChange.end();
}

}  // namespace

bool MayRetry(RunResult result, const std::optional<std::string>& lastPhase)
{
    return (result == RunResult::DeviceNotReached || result == RunResult::TimedOut) && BeforeTheChange(lastPhase);
}

std::chrono::milliseconds RetryWait(int failedAttempt, double unit)
{
    std::chrono::milliseconds delay = kRetryBase;
    for (int attempt = 1; attempt < failedAttempt && delay < kRetryCap; ++attempt) delay *= 2;
    delay = std::min(delay, kRetryCap);
    const double share = 0.5 + 0.5 * std::clamp(unit, 0.0, 1.0);
    return std::chrono::milliseconds(static_cast<long long>(static_cast<double>(delay.count()) * share));
}
