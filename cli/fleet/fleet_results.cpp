// SPDX-License-Identifier: MIT
#include "cli/fleet/fleet_results.h"

#include "cli/fleet/fleet_child.h"

namespace {

using Json = nlohmann::ordered_json;

std::optional<int> ExitStatusOf(const ChildEnd& end)
{
    if (end.exitStatus) return end.exitStatus;
    if (end.signal) return 128 + *end.signal;
    return std::nullopt;
}

std::string EndText(const ChildEnd& end)
{
    if (end.exitStatus) return "ended with status " + std::to_string(*end.exitStatus);
    return "was killed by " + end.signalName;
}

// A fact a phase line tells: its text, none when the line does not carry it.
std::optional<std::string> Told(const Json& phase, const char* name)
{
    const auto it = phase.find(name);
    if (it == phase.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

// The crash's reason: how the process ended, what it was doing, its last words.
std::string CrashReason(const DeviceEnding& ending)
{
    std::string reason = "the device's process " + EndText(ending.end) + " without a result";
    if (ending.told.uploading) reason += " while uploading " + *ending.told.uploading;
    if (!ending.lastErrors.empty()) reason += "; its last words: " + ending.lastErrors;
    return reason;
}

ResultFacts FactsTold(const ToldFacts& told)
{
    ResultFacts facts;
    facts.versionBefore = told.versionBefore;
    facts.backup = told.backup;
    return facts;
}

}  // namespace

void TakePhaseLine(ToldFacts& told, const Json& phase)
{
    if (std::optional<std::string> version = Told(phase, "version")) told.versionBefore = std::move(version);
    if (std::optional<std::string> backup = Told(phase, "backup")) told.backup = std::move(backup);
    // Only the upload phase names a file: a later phase has left it.
    told.uploading = Told(phase, "file");
    if (std::optional<std::string> name = Told(phase, "phase")) told.phase = std::move(name);
}

bool ReportStands(const DeviceEnding& ending)
{
    // A process stopped by the fleet's interruption reports that itself.
    return ending.reported && ending.overruling != Overruling::TimedOut;
}

ResultFacts ResultOfEnding(const FleetDevice& device, const DeviceEnding& ending)
{
    if (ReportStands(ending)) return *ending.reported;
    ResultFacts result = ending.reported.value_or(FactsTold(ending.told));
    result.exitStatus = ExitStatusOf(ending.end);
    result.duration = ending.duration;
    if (!result.log && !result.logError) result.log = DeviceLogPath(device);
    switch (ending.overruling) {
    case Overruling::TimedOut:
        result.result = RunResult::TimedOut;
        result.reason = ending.overrulingReason;
        break;
    case Overruling::Interrupted:
        result.result = RunResult::Interrupted;
        result.reason = ending.overrulingReason;
        break;
    case Overruling::None:
        result.result = RunResult::Crashed;
        result.reason = CrashReason(ending);
        break;
    }
    return result;
}

ResultFacts NotStartedAtStart(const std::string& why)
{
    return NotStartedResult("not started: the device's process could not be started: " + why);
}

ResultFacts NotStartedResult(const std::string& reason)
{
    ResultFacts result;
    result.result = RunResult::NotStarted;
    result.reason = reason;
    return result;
}

Json AttemptLineObject(const std::string& device, int attempt, const ResultFacts& facts, double retryIn,
                       const std::string& time)
{
    Json line;
    line["time"] = time;
    line["device"] = device;
    line["event"] = "attempt";
    line["attempt"] = attempt;
    line["result"] = ResultName(facts.result);
    line["exit"] = facts.exitStatus ? Json(*facts.exitStatus) : Json(nullptr);
    line["reason"] = facts.reason ? Json(*facts.reason) : Json(nullptr);
    line["retry_in"] = retryIn;
    return line;
}

std::string FleetLine(const FleetDevice& device, const Json& object, const std::string& line)
{
    if (!line.empty() && device.name == device.address) return line;
    Json renamed = object;
    renamed["device"] = device.name;
    return renamed.dump(-1, ' ', false, Json::error_handler_t::replace);
}
