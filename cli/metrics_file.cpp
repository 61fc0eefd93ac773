// SPDX-License-Identifier: MIT
#include "cli/metrics_file.h"

#include <array>
#include <charconv>
#include <iostream>
#include <map>

#include "platform/console/terminal_text.h"
#include "platform/files/replaced_file.h"
#include "upgrade/journal_reader.h"
#include "upgrade/profile_history.h"
#include "upgrade/utc_time.h"

namespace {

// A sample's value: the shortest decimal that reads back as `value`.
std::string Value(double value)
{
    std::array<char, 64> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed).ptr;
    return std::string(text.data(), end);
}

std::string Label(const char* name, std::string_view value)
{
    return std::string(name) + "=\"" + EscapedLabelValue(value) + "\"";
}

void Family(std::string& text, const char* name, const char* help)
{
    text += std::string("# HELP ") + name + " " + help + "\n";
    text += std::string("# TYPE ") + name + " gauge\n";
}

void Sample(std::string& text, const char* name, const std::string& labels, double value)
{
    text += name;
    if (!labels.empty()) text += "{" + labels + "}";
    text += " " + Value(value) + "\n";
}

// Whether the run may have flashed the device's firmware: it answered the
// download-mode form, and did not end before an upload or upload a profile
// alone. For a check, `changed` says whether an upgrade would flash it.
bool MayHaveFlashed(const ResultFacts& facts)
{
    switch (facts.result) {
    case RunResult::Checked:
    case RunResult::UpToDate:
    case RunResult::UploadNotStarted:
    case RunResult::ProfileRestored: return false;
    default: return facts.changed.value_or(true);
    }
}

// The version the device runs after the run: the one it came back with,
// else, when the run did not flash it, the one found before.
std::optional<std::string> VersionAfterRun(const ResultFacts& facts)
{
    if (facts.versionAfter) return facts.versionAfter;
    return MayHaveFlashed(facts) ? std::nullopt : facts.versionBefore;
}

double UnixSeconds(std::chrono::system_clock::time_point time)
{
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch());
    return static_cast<double>(milliseconds.count()) / 1000;
}

}  // namespace

std::string EscapedLabelValue(std::string_view value)
{
    std::string text;
    text.reserve(value.size());
    for (const char c : value) {
        switch (c) {
        case '\\': text += "\\\\"; break;
        case '"': text += "\\\""; break;
        case '\n': text += "\\n"; break;
        default: text += c; break;
        }
    }
    return text;
}

std::string MetricsText(const std::vector<DeviceMetrics>& devices)
{
    std::string text;
    Family(text, "ndxu_firmware_info", "The firmware version the device runs after the run.");
    for (const DeviceMetrics& device : devices)
        if (const std::optional<std::string> version = VersionAfterRun(device.facts))
            Sample(text, "ndxu_firmware_info", Label("device", device.device) + "," + Label("version", *version), 1);

    Family(text, "ndxu_upgrade_last_result", "The result of the device's last run.");
    for (const DeviceMetrics& device : devices)
        Sample(text, "ndxu_upgrade_last_result",
               Label("device", device.device) + "," + Label("result", ResultName(device.facts.result)), 1);

    Family(text, "ndxu_upgrade_last_success_timestamp_seconds",
           "When the device's last successful run ended, in Unix seconds.");
    for (const DeviceMetrics& device : devices)
        if (device.lastSuccess)
            Sample(text, "ndxu_upgrade_last_success_timestamp_seconds", Label("device", device.device),
                   *device.lastSuccess);

    Family(text, "ndxu_upgrade_duration_seconds", "How long the device's last run took, in seconds.");
    for (const DeviceMetrics& device : devices)
        Sample(text, "ndxu_upgrade_duration_seconds", Label("device", device.device), device.facts.duration);

    std::map<RunResult, int> counts;
    for (const DeviceMetrics& device : devices) ++counts[device.facts.result];
    Family(text, "ndxu_upgrade_devices", "The devices of the last run with each result.");
    for (const auto& [result, count] : counts)
        Sample(text, "ndxu_upgrade_devices", Label("result", ResultName(result)), count);
    Family(text, "ndxu_upgrade_devices_total", "The devices of the last run.");
    Sample(text, "ndxu_upgrade_devices_total", {}, static_cast<double>(devices.size()));
    return text;
}

std::optional<double> LastSuccessSeconds(const ResultFacts& facts, const DeviceIdentity& identity,
                                         std::chrono::system_clock::time_point end)
{
    if (Succeeded(facts.result)) return UnixSeconds(end);
    const std::string directory = std::string(kHistoryDirectory) + "\\" + DeviceDirectoryName(identity);
    const Journal journal = ReadJournal(directory);
    if (!journal.problem.empty()) {
        std::cerr << "ndxu-upgrade: the journal of " << EscapeControlCharacters(DeviceDirectoryName(identity))
                  << " cannot be read, so its metrics give no last success: "
                  << EscapeControlCharacters(journal.problem) << '\n';
        return std::nullopt;
    }
    for (auto run = journal.runs.rbegin(); run != journal.runs.rend(); ++run) {
        const std::optional<RunResult> result = ResultNamed(run->result.value_or(""));
        if (!result || !Succeeded(*result)) continue;
        if (const auto ended = ParseUtcTimestamp(run->ended)) return UnixSeconds(*ended);
    }
    return std::nullopt;
}

void WriteMetricsFile(const std::string& path, const std::vector<DeviceMetrics>& devices)
{
    const std::string problem = ReplaceFileText(path, MetricsText(devices));
    if (!problem.empty())
        std::cerr << "ndxu-upgrade: the metrics file " << EscapeControlCharacters(path)
                  << " cannot be written: " << problem << '\n';
}
