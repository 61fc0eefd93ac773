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

}  // namespace

bool ReportStands(const DeviceEnding& ending)
{
    // A process stopped by the fleet's interruption reports that itself.
    return ending.reported && ending.overruling != Overruling::TimedOut;
}

ResultFacts ResultOfEnding(const FleetDevice& device, const DeviceEnding& ending)
{
    if (ReportStands(ending)) return *ending.reported;
    ResultFacts result = ending.reported.value_or(ResultFacts{});
    result.exitStatus = ExitStatusOf(ending.end);
    result.duration = ending.duration;
    if (!result.log) result.log = DeviceLogPath(device);
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
        result.reason = "the device's process " + EndText(ending.end) + " without a result" +
                        (ending.lastErrors.empty() ? "" : "; its last words: " + ending.lastErrors);
        break;
    }
    return result;
}

ResultFacts CrashedAtStart(const std::string& why)
{
    ResultFacts result;
    result.result = RunResult::Crashed;
    result.reason = "the device's process could not be started: " + why;
    return result;
}

ResultFacts NotStartedResult(const std::string& reason)
{
    ResultFacts result;
    result.result = RunResult::NotStarted;
    result.reason = reason;
    return result;
}

std::string FleetLine(const FleetDevice& device, const Json& object, const std::string& line)
{
    if (!line.empty() && device.name == device.address) return line;
    Json renamed = object;
    renamed["device"] = device.name;
    return renamed.dump(-1, ' ', false, Json::error_handler_t::replace);
}
