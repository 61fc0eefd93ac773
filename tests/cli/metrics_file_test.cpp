// SPDX-License-Identifier: MIT
// The metrics file's text: label values escaped as the text format wants
// them (and, on Linux, read back so by the Prometheus client library's
// parser), the firmware version each result gives, the last success a failed
// run finds in the device's journal, and the file replaced whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <iostream>
#include <sstream>

#include "cli/metrics_file.h"
#include "tests/cli/metrics_samples.h"
#include "tests/support/drive_c.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "upgrade/device_identity.h"
#include "upgrade/utc_time.h"

namespace {

// Standard error while it lives.
class CapturedErrors {
public:
    CapturedErrors() : m_saved(std::cerr.rdbuf(m_text.rdbuf())) {}
    ~CapturedErrors() { std::cerr.rdbuf(m_saved); }
    std::string Text() const { return m_text.str(); }

private:
    std::ostringstream m_text;
    std::streambuf* m_saved;
};

DeviceMetrics Device(const std::string& name, RunResult result)
{
    DeviceMetrics device;
    device.device = name;
    device.facts.result = result;
    return device;
}

TEST(MetricsFile, LabelValuesAreEscapedAndParseBack)
{
    const struct {
        std::string value;
        std::string escaped;
    } cases[] = {
        {"127.0.0.1", "127.0.0.1"},
        {"", ""},
        {"a\\b", "a\\\\b"},
        {"say \"hi\"", "say \\\"hi\\\""},
        {"two\nlines", "two\\nlines"},
        {"\\\"\n", "\\\\\\\"\\n"},
        {"\\n is no line feed", "\\\\n is no line feed"},
        {"tab\tand carriage return\r stay", "tab\tand carriage return\r stay"},
        {"Gerät 5.1.2 ✓", "Gerät 5.1.2 ✓"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapedLabelValue(c.value), c.escaped) << c.value;
#ifndef _WIN32
        // The parser reads the value back, and its script escapes it again.
        if (c.value.find('\r') != std::string::npos) continue;  // the script's lines would split at it
        TempDir dir;
        DeviceMetrics device = Device("127.0.0.1", RunResult::UpToDate);
        device.facts.versionBefore = c.value;
        WriteFileText(dir / "ndxu.prom", MetricsText({device}));
        const ParsedMetrics parsed = ParseMetricsFile(dir / "ndxu.prom");
        ASSERT_EQ(parsed.exitStatus, 0) << c.value << parsed.problem;
        EXPECT_TRUE(
            HoldsSample(parsed.samples, "ndxu_firmware_info{device=\"127.0.0.1\",version=\"" + c.escaped + "\"} 1"))
            << c.value << "\n"
            << ::testing::PrintToString(parsed.samples);
#endif
    }
}

TEST(MetricsFile, TheVersionIsTheOneTheDeviceRunsAfterTheRun)
{
    const struct {
        RunResult result;
        std::optional<bool> changed;
        std::optional<std::string> before;
        std::optional<std::string> after;
        std::optional<std::string> version;  // in ndxu_firmware_info; none: no line
    } cases[] = {
        {RunResult::Completed, true, "5.0.3", "5.1.2", "5.1.2"},
        {RunResult::Completed, true, "5.0.3", std::nullopt, std::nullopt},  // flashed, not confirmed
        {RunResult::UpToDate, false, "5.1.2", std::nullopt, "5.1.2"},
        {RunResult::Checked, true, "5.0.3", std::nullopt, "5.0.3"},  // an upgrade would flash it
        {RunResult::PasswordRefused, false, std::nullopt, std::nullopt, std::nullopt},
        {RunResult::DowngradeRefused, false, "5.2.0", std::nullopt, "5.2.0"},
        {RunResult::UploadNotStarted, true, "5.0.3", std::nullopt, "5.0.3"},
        {RunResult::UploadFailed, true, "5.0.3", std::nullopt, std::nullopt},
        {RunResult::NotConfirmed, true, "5.0.3", "5.0.3", "5.0.3"},
        {RunResult::ProfileRestored, true, "5.0.3", std::nullopt, "5.0.3"},
        {RunResult::Crashed, std::nullopt, "5.0.3", std::nullopt, std::nullopt},
        {RunResult::Interrupted, false, "5.0.3", std::nullopt, "5.0.3"},
    };
    for (const auto& c : cases) {
        DeviceMetrics device = Device("10.0.0.1", c.result);
        device.facts.changed = c.changed;
        device.facts.versionBefore = c.before;
        device.facts.versionAfter = c.after;
        const std::vector<std::string> samples = SampleLines(MetricsText({device}));
        const std::string series = "ndxu_firmware_info{device=\"10.0.0.1\",";
        const std::ptrdiff_t lines = std::count_if(samples.begin(), samples.end(),
                                                   [&](const std::string& line) { return line.starts_with(series); });
        EXPECT_EQ(lines, c.version ? 1 : 0) << ResultName(c.result);
        if (c.version) {
            EXPECT_TRUE(HoldsSample(samples, series + "version=\"" + *c.version + "\"} 1")) << ResultName(c.result);
        }
    }
}

TEST(MetricsFile, AFailedRunTakesItsLastSuccessFromTheJournal)
{
    TempDir dir;
    ScopedEnv env;
    env.Set("NDXU_DRIVE_C", TestDriveC(dir.path()).string());
    const DeviceIdentity identity = IdentityOf("10.9.8.7", 8081, 2121);
    const std::filesystem::path history =
        TestDriveC(dir.path()) / "varn" / "ndxu511" / "history" / DeviceDirectoryName(identity);
    std::filesystem::create_directories(history);
    const auto end = ParseUtcTimestamp("2026-12-09T12:00:00.000Z").value();
    const struct {
        std::string journal;
        RunResult result;
        std::optional<double> lastSuccess;
    } cases[] = {
        // A success ends now, whatever the journal says.
        {"", RunResult::Completed, 1796817600.0},
        {"", RunResult::UploadFailed, std::nullopt},
        {R"({"run":"a","event":"phase","time":"2026-12-01T08:00:00.000Z","phase":"web_login"}
{"run":"a","event":"end","time":"2026-12-01T08:00:02.500Z","result":"completed"}
{"run":"b","event":"end","time":"2026-12-02T08:00:00.000Z","result":"checked"}
{"run":"c","event":"end","time":"2026-12-03T08:00:00.000Z","result":"upload_failed"}
{"run":"d","event":"phase","time":"2026-12-04T08:00:00.000Z","phase":"upload"}
)",
         RunResult::UploadFailed, 1796198400.0},
        {R"({"run":"a","event":"end","time":"2026-12-01T08:00:02.500Z","result":"up_to_date"}
{"run":"b","event":"end","time":"not a time","result":"completed"}
{"run":"c","event":"end","time":"2026-12-03T08:00:00.000Z","result":"no_such_result"}
{"run":"d","event":"end","time":"2026-12-03T09:00:00.000Z","result":"password_refused"}
)",
         RunResult::PasswordRefused, 1796112002.5},
        {R"({"run":"a","event":"end","time":"2026-12-03T08:00:00.000Z","result":"device_not_reached"}
)",
         RunResult::DeviceNotReached, std::nullopt},
    };
    for (const auto& c : cases) {
        WriteFileText(history / "journal.jsonl", c.journal);
        ResultFacts facts;
        facts.result = c.result;
        EXPECT_EQ(LastSuccessSeconds(facts, identity, end), c.lastSuccess) << c.journal;
    }
}

TEST(MetricsFile, TheFileIsReplacedWholeAndAFailureIsReported)
{
    TempDir dir;
    const std::filesystem::path file = dir / "ndxu.prom";
    WriteFileText(file, "an older file\n");
    DeviceMetrics device = Device("10.0.0.1", RunResult::Completed);
    device.facts.duration = 12.5;
    {
        const CapturedErrors errors;
        WriteMetricsFile(file.string(), {device, Device("10.0.0.2", RunResult::TimedOut)});
        EXPECT_EQ(errors.Text(), "");
    }
    const std::string text = ReadFileText(file);
    EXPECT_EQ(text, MetricsText({device, Device("10.0.0.2", RunResult::TimedOut)}));
    EXPECT_TRUE(HoldsSample(SampleLines(text), "ndxu_upgrade_duration_seconds{device=\"10.0.0.1\"} 12.5"));
    EXPECT_TRUE(HoldsSample(SampleLines(text), "ndxu_upgrade_devices{result=\"timed_out\"} 1"));
    EXPECT_TRUE(HoldsSample(SampleLines(text), "ndxu_upgrade_devices_total 2"));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"ndxu.prom"});
#ifndef _WIN32
    // A collector running as another user reads it.
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all, std::filesystem::perms(0644));
#endif

    const std::string missing = (dir / "missing" / "ndxu.prom").string();
    const CapturedErrors errors;
    WriteMetricsFile(missing, {device});
    EXPECT_EQ(errors.Text(),
              "ndxu-upgrade: the metrics file " + missing + " cannot be written: No such file or directory\n");
    const std::string occupied = (dir / "a directory" / "ndxu.prom").string();
    std::filesystem::create_directories(occupied);
    WriteMetricsFile(occupied, {device});
    EXPECT_NE(errors.Text().find("ndxu-upgrade: the metrics file " + occupied + " cannot be written: "),
              std::string::npos)
        << errors.Text();
    names.clear();
    for (const auto& entry : std::filesystem::directory_iterator(dir / "a directory"))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"ndxu.prom"}) << "the temporary file was left";
}

}  // namespace
