// SPDX-License-Identifier: MIT
// The result line of the JSON lines: how one device's run ended. A single run
// writes it last; a fleet run reads it back from each device's process, and
// writes its own for a device whose process gave none that stands. Its
// fields, in this order: time, device, event ("result"), result, exit,
// reason, device_state, next_step, version_before, version_after, backup, log, log_error,
// package_version, signed_by, trusted_comment, changed, duration (seconds); a
// fact not known is null. A fleet adds attempts, the number of the device's
// attempts, to each device's result line.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "upgrade/run_result.h"
#include "upgrade/run_report.h"

struct ResultFacts {
    RunResult result = RunResult::Crashed;
    std::optional<int> exitStatus;
    std::optional<std::string> reason;
    std::optional<std::string> deviceState;  // after the device was changed: its state's name (LeftStateName)
    std::optional<std::string> nextStep;     // and what to do next
    std::optional<std::string> versionBefore;
    std::optional<std::string> versionAfter;
    std::optional<std::string> backup;
    std::optional<std::string> log;
    std::optional<std::string> logError;  // why the log lost entries; the log is then not named
    std::optional<std::string> packageVersion;
    std::optional<std::string> signedBy;
    std::optional<std::string> trustedComment;
    std::optional<bool> changed;  // whether the run changed the device; for a check, whether an upgrade would
    double duration = 0;          // seconds

    bool operator==(const ResultFacts&) const = default;
};

// The result line of `device`, written at `time` (see UtcTimestamp). Texts
// go out as they are given (device text came masked, see
// platform/inet/device_text.h).
nlohmann::ordered_json ResultLineObject(const std::string& device, const ResultFacts& facts, const std::string& time);

// The facts of a result line; none when `line` is no result line of a result
// this program knows. A field missing or of another type is a fact not known.
std::optional<ResultFacts> ReadResultLine(const nlohmann::ordered_json& line);

// The facts of a single run that ended with `report`: its end's result and
// exit status, the report's texts (an empty one is not known), no reason and
// no duration yet. A log that lost entries is not named: its log_error says
// why.
ResultFacts FactsOfReport(const RunReport& report);
