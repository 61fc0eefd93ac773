// SPDX-License-Identifier: MIT
#include "cli/fleet_results.h"

#include "cli/fleet_child.h"
#include "cli/utc_time.h"

namespace {

using Json = nlohmann::ordered_json;

std::optional<std::string> OptionalText(const Json& line, const char* name)
{
    const auto it = line.find(name);
    if (it == line.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

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

Json OrNull(const std::optional<std::string>& text) { return text ? Json(*text) : Json(nullptr); }

}  // namespace

bool Succeeded(const DeviceResult& result)
{
    return result.result == "completed" || result.result == "up_to_date" || result.result == "checked";
}

DeviceResult ResultOfLine(const Json& line)
{
    DeviceResult result;
    result.result = OptionalText(line, "result").value_or("");
    if (const auto it = line.find("exit"); it != line.end() && it->is_number_integer()) result.exitStatus = it->get<int>();
    result.reason = OptionalText(line, "reason");
    result.versionBefore = OptionalText(line, "version_before");
    result.versionAfter = OptionalText(line, "version_after");
    result.backup = OptionalText(line, "backup");
    result.log = OptionalText(line, "log");
    if (const auto it = line.find("changed"); it != line.end() && it->is_boolean()) result.changed = it->get<bool>();
    if (const auto it = line.find("duration"); it != line.end() && it->is_number()) result.duration = it->get<double>();
    return result;
}

bool ReportStands(const DeviceEnding& ending)
{
    // A process stopped by the fleet's interruption reports that itself.
    return ending.reported && ending.overruling != Overruling::TimedOut;
}

DeviceResult ResultOfEnding(const FleetDevice& device, const DeviceEnding& ending)
{
    if (ReportStands(ending)) return ResultOfLine(*ending.reported);
    DeviceResult result = ending.reported ? ResultOfLine(*ending.reported) : DeviceResult{};
    result.exitStatus = ExitStatusOf(ending.end);
    result.duration = ending.duration;
    if (!result.log) result.log = DeviceLogPath(device);
    switch (ending.overruling) {
    case Overruling::TimedOut:
        result.result = "timed_out";
        result.reason = ending.overrulingReason;
        break;
    case Overruling::Interrupted:
        result.result = "interrupted";
        result.reason = ending.overrulingReason;
        break;
    case Overruling::None:
        result.result = "crashed";
        result.reason = "the device's process " + EndText(ending.end) + " without a result" +
                        (ending.lastErrors.empty() ? "" : "; its last words: " + ending.lastErrors);
        break;
    }
    return result;
}

DeviceResult CrashedAtStart(const std::string& why)
{
    DeviceResult result;
    result.result = "crashed";
    result.reason = "the device's process could not be started: " + why;
    return result;
}

DeviceResult NotStartedResult(const std::string& reason)
{
    DeviceResult result;
    result.result = "not_started";
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

Json ResultObject(const FleetDevice& device, const DeviceResult& result)
{
    Json object;
    object["time"] = UtcTimestamp();
    object["device"] = device.name;
    object["event"] = "result";
    object["result"] = result.result;
    object["exit"] = result.exitStatus ? Json(*result.exitStatus) : Json(nullptr);
    object["reason"] = OrNull(result.reason);
    object["version_before"] = OrNull(result.versionBefore);
    object["version_after"] = OrNull(result.versionAfter);
    object["backup"] = OrNull(result.backup);
    object["log"] = OrNull(result.log);
    object["changed"] = result.changed ? Json(*result.changed) : Json(nullptr);
    object["duration"] = result.duration;
    return object;
}
