// SPDX-License-Identifier: MIT
#include "cli/fleet/fleet_summary.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <vector>

#include "cli/fleet/fitted_text.h"
#include "platform/console/terminal_text.h"
#include "upgrade/utc_time.h"

namespace {

using Row = std::vector<std::string>;

// How a column's cells are shortened to fit a terminal: fixed (short words
// and numbers), cut at the end, or paths shortened in the middle.
enum class Shortening { None, End, Path };

// Below this a shortened column says too little.
constexpr std::size_t kNarrowestShortened = 10;

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

std::vector<Shortening> Shortenings(bool checkOnly)
{
    using enum Shortening;
    if (checkOnly) return {End, None, End, None, Path};
    return {End, None, End, End, None, Path, Path};
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
        if (i + 1 < row.size()) line.append(widths[i] - ColumnsOf(row[i]) + 2, ' ');
    }
    return line;
}

// Narrows the widest columns above their `floors`, one column at a time,
// until a row fits in `columns` or none can be narrowed further.
void Narrow(std::vector<std::size_t>& widths, const std::vector<std::size_t>& floors, std::size_t columns)
{
    std::size_t total = 2 * (widths.size() - 1);
    for (const std::size_t width : widths) total += width;
    while (total > columns) {
        std::size_t widest = widths.size();
        for (std::size_t i = 0; i < widths.size(); ++i) {
            if (widths[i] <= floors[i]) continue;
            if (widest == widths.size() || widths[i] > widths[widest]) widest = i;
        }
        if (widest == widths.size()) return;
        --widths[widest];
        --total;
    }
}

// The columns' widths fitted to `columns`: paths keep their file names
// while they can, then every column that may be shortened gives way.
void Fit(std::vector<std::size_t>& widths, const std::vector<Row>& rows, const std::vector<Shortening>& shortenings,
         std::size_t columns)
{
    std::vector<std::size_t> floors(widths.size());
    for (std::size_t i = 0; i < widths.size(); ++i)
        floors[i] = shortenings[i] == Shortening::None ? widths[i] : std::min(widths[i], kNarrowestShortened);
    std::vector<std::size_t> keepingNames = floors;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        if (shortenings[i] != Shortening::Path) continue;
        for (const Row& row : rows) {
            const std::size_t name = row[i].find_last_of("/\\");
            // The file name after ".../" and the path's first character.
            if (name != std::string::npos)
                keepingNames[i] = std::max(keepingNames[i], std::min(widths[i], ColumnsOf(row[i].substr(name)) + 4));
        }
    }
    Narrow(widths, keepingNames, columns);
    Narrow(widths, floors, columns);
}

void Shorten(Row& row, const std::vector<std::size_t>& widths, const std::vector<Shortening>& shortenings)
{
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (shortenings[i] == Shortening::Path) row[i] = ShortenPath(row[i], widths[i]);
        if (shortenings[i] == Shortening::End) row[i] = CutToWidth(row[i], widths[i]);
    }
}

// The table's lines, each cut to the terminal's width when there is one.
class TableLines {
public:
    TableLines(std::ostream& out, std::optional<int> columns) : m_out(out), m_columns(columns) {}

    void Write(const std::string& line)
    {
        m_out << (m_columns ? CutToWidth(line, static_cast<std::size_t>(std::max(*m_columns, 1))) : line) << '\n';
    }

    // A reason below its device's row, each of its lines indented.
    void WriteIndented(const std::string& text)
    {
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            Write("    " + text.substr(start, end - start));
        if (start < text.size()) Write("    " + text.substr(start));
    }

private:
    std::ostream& m_out;
    std::optional<int> m_columns;
};

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

void WriteSummaryTable(std::ostream& out, const FleetOutcome& outcome, bool checkOnly, std::optional<int> columns)
{
    std::vector<Row> rows = {Header(checkOnly)};
    for (const DeviceRun& run : outcome.runs) rows.push_back(RowOf(run, checkOnly));
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const Row& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], ColumnsOf(row[i]));
    if (columns) {
        const std::vector<Shortening> shortenings = Shortenings(checkOnly);
        Fit(widths, rows, shortenings, static_cast<std::size_t>(std::max(*columns, 1)));
        for (Row& row : rows) Shorten(row, widths, shortenings);
    }

    TableLines lines(out, columns);
    lines.Write(Joined(rows.front(), widths));
    for (std::size_t i = 0; i < outcome.runs.size(); ++i) {
        lines.Write(Joined(rows[i + 1], widths));
        const ResultFacts& result = *outcome.runs[i].result;
        if (outcome.runs[i].attempts > 1)
            lines.WriteIndented("after " + std::to_string(outcome.runs[i].attempts) + " attempts");
        if (!Succeeded(result.result) && result.reason) lines.WriteIndented(EscapeControlCharacters(*result.reason));
        if (result.logError)
            lines.WriteIndented("the run log is incomplete: " + EscapeControlCharacters(*result.logError));
    }
    lines.Write(CountsLine(CountsOf(outcome), checkOnly) + " (" + Seconds(outcome.duration) + ")" + StopText(outcome));
    out.flush();
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
