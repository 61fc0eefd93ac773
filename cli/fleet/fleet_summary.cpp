// SPDX-License-Identifier: MIT
#include "cli/fleet/fleet_summary.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <vector>

#include "platform/console/terminal_text.h"
#include "upgrade/utc_time.h"

namespace {

using Row = std::vector<std::string>;

std::string Shown(const std::optional<std::string>& text) { return text ? EscapeControlCharacters(*text) : "-"; }

std::string Seconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

Row Header(bool checkOnly)
{
    if (checkOnly) return {"DEVICE", "RESULT", "VERSION", "TIME", "LOG"};
    return {"DEVICE", "RESULT", "BEFORE", "AFTER", "TIME", "BACKUP", "LOG"};
}

Row RowOf(const DeviceRun& run, bool checkOnly)
{
    const ResultFacts& result = *run.result;
    const std::string name = EscapeControlCharacters(run.device.name);
    const std::string shownResult = ResultName(result.result);
    const std::string time = result.result == RunResult::NotStarted ? "-" : Seconds(result.duration);
    if (checkOnly) return {name, shownResult, Shown(result.versionBefore), time, Shown(result.log)};
    return {name, shownResult, Shown(result.versionBefore), Shown(result.versionAfter), time,
            Shown(result.backup), Shown(result.log)};
}

std::string Joined(const Row& row, const std::vector<std::size_t>& widths)
{
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
        line += row[i];
        if (i + 1 < row.size()) line.append(widths[i] - row[i].size() + 2, ' ');
    }
    return line;
}

// A reason below its device's row, each of its lines indented.
void WriteIndented(std::ostream& out, const std::string& text)
{
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        out << "    " << text.substr(start, end - start) << '\n';
    if (start < text.size()) out << "    " << text.substr(start) << '\n';
}

std::string CountsLine(const FleetCounts& counts, bool checkOnly)
{
    return std::to_string(counts.devices) + " devices: " + std::to_string(counts.completed) +
           (checkOnly ? " checked, " : " completed, " + std::to_string(counts.upToDate) + " up to date, ") +
           std::to_string(counts.failed) + " failed, " +
           std::to_string(counts.notStarted) + " not started";
}

// How the run was cut short, if it was.
std::string StopText(const FleetOutcome& outcome)
{
    if (outcome.stoppedBy)
        return std::string("; stopped by ") + (*outcome.stoppedBy == StopRequest::Interrupt ? "SIGINT" : "SIGTERM");
    if (outcome.hungUp) return "; the terminal went away (SIGHUP)";
    return "";
}

}  // namespace

FleetCounts CountsOf(const FleetOutcome& outcome)
{
    FleetCounts counts;
    for (const DeviceRun& run : outcome.runs) {
        ++counts.devices;
        const RunResult result = run.result->result;
        if (result == RunResult::UpToDate)
            ++counts.upToDate;
        else if (Succeeded(result))
            ++counts.completed;
        else if (result == RunResult::NotStarted)
            ++counts.notStarted;
        else
            ++counts.failed;
    }
    return counts;
}

int FleetExitStatus(const FleetOutcome& outcome)
{
    if (outcome.stoppedBy) return ExitStatusFor(*outcome.stoppedBy);
    if (outcome.hungUp) return ExitStatusFor(StopRequest::HangUp);
    const FleetCounts counts = CountsOf(outcome);
    return counts.completed + counts.upToDate == counts.devices ? 0 : kExitSomeDevicesFailed;
}

void WriteSummaryTable(std::ostream& out, const FleetOutcome& outcome, bool checkOnly)
{
    std::vector<Row> rows = {Header(checkOnly)};
    for (const DeviceRun& run : outcome.runs) rows.push_back(RowOf(run, checkOnly));
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const Row& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());

    out << Joined(rows.front(), widths) << '\n';
    for (std::size_t i = 0; i < outcome.runs.size(); ++i) {
        out << Joined(rows[i + 1], widths) << '\n';
        const ResultFacts& result = *outcome.runs[i].result;
        if (outcome.runs[i].attempts > 1)
            WriteIndented(out, "after " + std::to_string(outcome.runs[i].attempts) + " attempts");
        if (!Succeeded(result.result) && result.reason) WriteIndented(out, EscapeControlCharacters(*result.reason));
        if (result.logError)
            WriteIndented(out, "the run log is incomplete: " + EscapeControlCharacters(*result.logError));
    }
    out << CountsLine(CountsOf(outcome), checkOnly) << " (" << Seconds(outcome.duration) << ")" << StopText(outcome)
        << std::endl;
}

nlohmann::ordered_json SummaryObject(const FleetOutcome& outcome)
{
    const FleetCounts counts = CountsOf(outcome);
    nlohmann::ordered_json summary;
    summary["time"] = UtcTimestamp();
    summary["device"] = nullptr;
    summary["event"] = "summary";
    summary["devices"] = counts.devices;
    summary["completed"] = counts.completed;
    summary["up_to_date"] = counts.upToDate;
    summary["failed"] = counts.failed;
    summary["not_started"] = counts.notStarted;
    summary["exit"] = FleetExitStatus(outcome);
    summary["duration"] = outcome.duration;
    return summary;
}
