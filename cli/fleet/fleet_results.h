// SPDX-License-Identifier: MIT
// A device's result in a fleet run: the one its process reported, or, when
// the process gave none that stands, the one the supervisor gives it.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "cli/fleet/fleet_device.h"
#include "cli/result_line.h"
#include "platform/process/child_process.h"

// Why the supervisor, not the device's process, decides the result.
enum class Overruling {
    None,         // the process's own result stands (if it gave one)
    TimedOut,     // stopped after the whole-run bound: timed out, whatever it reported
    Interrupted,  // the fleet run was stopped by a signal: interrupted unless it reported
};

// What a process's phase lines told of its run, kept for a result the
// process never gives: the version found on the device, the backup kept and
// the file being uploaded, each once told; and the last phase told, which
// says whether the run may have changed the device.
struct ToldFacts {
    std::optional<std::string> versionBefore;
    std::optional<std::string> backup;
    std::optional<std::string> uploading;
    std::optional<std::string> phase;

    bool operator==(const ToldFacts&) const = default;
};

// Takes what the phase line `phase` tells into `told`; a fact a line does
// not carry stays as an earlier line told it.
void TakePhaseLine(ToldFacts& told, const nlohmann::ordered_json& phase);

struct DeviceEnding {
    std::optional<ResultFacts> reported;  // what the process's result line said, if it wrote one
    ChildEnd end;
    Overruling overruling = Overruling::None;
    std::string overrulingReason;  // for TimedOut and Interrupted
    std::string lastErrors;        // the last lines the process wrote to standard error
    double duration = 0;           // seconds, as the supervisor measured them
    ToldFacts told;                // what its phase lines told
};

// Whether the process's own result line stands as the device's result.
bool ReportStands(const DeviceEnding& ending);

// The device's result: its process's own, else timed out, interrupted or
// crashed (the process ended without a result), with the facts its result
// line gave, else those its phase lines told.
ResultFacts ResultOfEnding(const FleetDevice& device, const DeviceEnding& ending);

// The result of a device whose process could not be started (a pipe or a
// process could not be made: too many open files, no memory, ...), and why:
// not started, as nothing of its run began.
ResultFacts NotStartedAtStart(const std::string& why);

// The result of a device the fleet run never started, and why.
ResultFacts NotStartedResult(const std::string& reason);

// The line of a device's attempt that failed and is tried again in
// `retryIn` seconds: time, device, event ("attempt"), attempt (from 1),
// result, exit, reason, retry_in.
nlohmann::ordered_json AttemptLineObject(const std::string& device, int attempt, const ResultFacts& facts,
                                         double retryIn, const std::string& time);

// A JSON line, as the device's process writes them, for a device of the
// fleet: with the fleet's name of the device where it differs from the
// address. `line` is the text the object came from; none for a line the
// supervisor makes.
std::string FleetLine(const FleetDevice& device, const nlohmann::ordered_json& object, const std::string& line = {});
