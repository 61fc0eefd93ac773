// SPDX-License-Identifier: MIT
#include "cli/result_line.h"

namespace {

using Json = nlohmann::ordered_json;

Json OrNull(const std::optional<std::string>& text) { return text ? Json(*text) : Json(nullptr); }

std::optional<std::string> Text(const Json& line, const char* name)
{
    const auto it = line.find(name);
    if (it == line.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

}  // namespace

Json ResultLineObject(const std::string& device, const ResultFacts& facts, const std::string& time)
{
    Json object;
    object["time"] = time;
    object["device"] = device;
    object["event"] = "result";
    object["result"] = ResultName(facts.result);
    object["exit"] = facts.exitStatus ? Json(*facts.exitStatus) : Json(nullptr);
    object["reason"] = OrNull(facts.reason);
    object["device_state"] = OrNull(facts.deviceState);
    object["next_step"] = OrNull(facts.nextStep);
    object["version_before"] = OrNull(facts.versionBefore);
    object["version_after"] = OrNull(facts.versionAfter);
    object["backup"] = OrNull(facts.backup);
    object["log"] = OrNull(facts.log);
    object["log_error"] = OrNull(facts.logError);
    object["package_version"] = OrNull(facts.packageVersion);
    object["signed_by"] = OrNull(facts.signedBy);
    object["trusted_comment"] = OrNull(facts.trustedComment);
    object["changed"] = facts.changed ? Json(*facts.changed) : Json(nullptr);
    object["duration"] = facts.duration;
    return object;
}

std::optional<ResultFacts> ReadResultLine(const Json& line)
{
    if (!line.is_object() || line.value("event", "") != "result") return std::nullopt;
    const std::optional<RunResult> result = ResultNamed(Text(line, "result").value_or(""));
    if (!result) return std::nullopt;
    ResultFacts facts;
    facts.result = *result;
    if (const auto it = line.find("exit"); it != line.end() && it->is_number_integer())
        facts.exitStatus = it->get<int>();
    facts.reason = Text(line, "reason");
    facts.deviceState = Text(line, "device_state");
    facts.nextStep = Text(line, "next_step");
    facts.versionBefore = Text(line, "version_before");
    facts.versionAfter = Text(line, "version_after");
    facts.backup = Text(line, "backup");
    facts.log = Text(line, "log");
    facts.logError = Text(line, "log_error");
    facts.packageVersion = Text(line, "package_version");
    facts.signedBy = Text(line, "signed_by");
    facts.trustedComment = Text(line, "trusted_comment");
    if (const auto it = line.find("changed"); it != line.end() && it->is_boolean()) facts.changed = it->get<bool>();
    if (const auto it = line.find("duration"); it != line.end() && it->is_number()) facts.duration = it->get<double>();
    return facts;
}

ResultFacts FactsOfReport(const RunReport& report)
{
    const auto known = [](const std::string& text) {
        return text.empty() ? std::nullopt : std::optional<std::string>(text);
    };
    ResultFacts facts;
    facts.result = ResultOf(report.end);
    facts.exitStatus = ExitStatusOf(report.end);
    facts.versionBefore = known(report.versionBefore);
    facts.versionAfter = known(report.versionAfter);
    facts.backup = known(report.backup);
    facts.logError = known(report.logError);
    if (!facts.logError) facts.log = known(report.log);
    facts.packageVersion = known(report.packageVersion);
    facts.signedBy = known(report.signedBy);
    facts.trustedComment = known(report.trustedComment);
    facts.changed = report.changed;
    if (const std::optional<NextStep>& next = report.failure.next) {
        facts.deviceState = LeftStateName(next->state);
        facts.nextStep = next->Text();
    }
    return facts;
}
