// SPDX-License-Identifier: MIT
// The fault campaign: every scenario under tests/scenarios, run end to end
// with ndxu-upgrade against the simulator. Besides what a scenario expects,
// every run must keep what holds for all of them: within its time bound, the
// password in no file or output, the earlier profile backup never lost, the
// profile history holding the device's profile alone, the device holding a
// whole image whenever the run says it completed, nothing uploaded by a
// check or to a device on the package's version, and with --json nothing but
// JSON lines on standard output, the result last.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "tests/cli/metrics_samples.h"
#include "tests/cli/scenario.h"
#include "tests/support/devsim.h"
#include "tests/support/drive_c.h"
#include "tests/support/minisign.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wizard_fixture.h"

namespace {

constexpr char kPassword[] = "Pw 7&z=q";
constexpr char kEarlierBackup[] = "the profile backup of an earlier run";

std::string PackageImage()
{
    std::string image(70000, '\0');
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return image;
}

std::string ReadIfThere(const std::filesystem::path& path)
{
    return std::filesystem::is_regular_file(path) ? ReadFileText(path) : std::string();
}

// Every regular file below `directory` that holds `text`.
std::vector<std::string> FilesHolding(const std::filesystem::path& directory, const std::string& text)
{
    std::vector<std::string> found;
    if (!std::filesystem::exists(directory)) return found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(directory))
        if (entry.is_regular_file() && ReadFileText(entry.path()).find(text) != std::string::npos)
            found.push_back(entry.path().string());
    return found;
}

// `text` with <http-port> and <ftp-port> standing for the simulator's ports.
std::string WithPorts(std::string text, const DevSim& sim)
{
    for (const auto& [mark, port] : {std::pair{std::string("<http-port>"), sim.HttpPort()},
                                     std::pair{std::string("<ftp-port>"), sim.FtpPort()}})
        for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at))
            text.replace(at, mark.size(), std::to_string(port));
    return text;
}

// What the scenario expects of the output, with the simulator's ports put in.
Scenario WithPorts(Scenario s, const DevSim& sim)
{
    for (std::vector<std::string>* texts : {&s.logEnds, &s.logHas, &s.stderrHas, &s.jsonHas})
        for (std::string& text : *texts) text = WithPorts(text, sim);
    s.stdoutEnds = WithPorts(s.stdoutEnds, sim);
    return s;
}

// The lines of standard output of a --json run, each of them an object with
// its time, the device and its event.
std::vector<nlohmann::json> JsonLines(const std::string& out)
{
    static const std::regex time(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)");
    std::vector<nlohmann::json> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        nlohmann::json event = nlohmann::json::parse(line, nullptr, false);
        EXPECT_TRUE(event.is_object()) << "not a JSON object: " << line;
        if (!event.is_object()) continue;
        EXPECT_TRUE(std::regex_match(event.value("time", ""), time)) << line;
        EXPECT_EQ(event.value("device", ""), "127.0.0.1") << line;
        EXPECT_TRUE(event.contains("event")) << line;
        lines.push_back(std::move(event));
    }
    return lines;
}

// Whether `event` holds every member of `wanted` with its value.
bool Holds(const nlohmann::json& event, const nlohmann::json& wanted)
{
    for (const auto& [name, value] : wanted.items())
        if (!event.contains(name) || event[name] != value) return false;
    return true;
}

// The story of a --json run: its events as the scenario says, and one
// result, the last line, with every field.
void ExpectJsonStory(const Scenario& s, const std::vector<nlohmann::json>& lines, int exitStatus)
{
    ASSERT_FALSE(lines.empty());
    std::vector<std::string> events;
    for (const nlohmann::json& line : lines) {
        const std::string event = line.value("event", "");
        if (events.empty() || events.back() != event) events.push_back(event);
    }
    EXPECT_EQ(std::count(events.begin(), events.end(), "result"), 1);
    const nlohmann::json& result = lines.back();
    EXPECT_EQ(result.value("event", ""), "result");
    EXPECT_EQ(result.value("exit", -1), exitStatus);
    for (const char* field : {"result", "reason", "version_before", "version_after", "backup", "log"})
        EXPECT_TRUE(result.contains(field)) << field;
    EXPECT_TRUE(result.value("duration", nlohmann::json()).is_number());
    if (!s.jsonEvents.empty()) {
        EXPECT_EQ(events, s.jsonEvents);
    }
    for (const std::string& text : s.jsonHas) {
        const nlohmann::json wanted = nlohmann::json::parse(text);
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const nlohmann::json& line) { return Holds(line, wanted); }))
            << "no line holds " << text;
    }
}

// The metrics file of a run given --metrics-file: replaced whole (nothing
// else left in its directory), holding the samples the scenario names and
// none of the series it says it lacks, and
// on Linux read alike by the client library's parser, each metric a gauge
// with its help text.
void ExpectMetrics(const Scenario& s, const std::filesystem::path& file)
{
    ASSERT_TRUE(std::filesystem::is_regular_file(file)) << "no metrics file";
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{file.filename().string()});
    const std::string text = ReadFileText(file);
    const std::vector<std::string> samples = SampleLines(text);
    for (const std::string& wanted : s.metricsHas) EXPECT_TRUE(HoldsSample(samples, wanted)) << wanted << "\n" << text;
    for (const std::string& series : s.metricsLacks)
        EXPECT_FALSE(HoldsSample(samples, series + " *")) << series << "\n" << text;
#ifndef _WIN32
    const ParsedMetrics parsed = ParseMetricsFile(file);
    ASSERT_EQ(parsed.exitStatus, 0) << parsed.problem << text;
    EXPECT_EQ(parsed.samples, samples);
    EXPECT_EQ(parsed.families.size(), 6u) << text;
    for (const std::string& family : parsed.families) {
        const std::size_t type = family.find(' ');
        EXPECT_TRUE(family.substr(type + 1).starts_with("gauge ")) << family;
        EXPECT_GT(family.size(), family.find(' ', type + 1) + 1) << "no help text: " << family;
    }
#endif
}

// The run log's name: --log-name's, else the default.
std::string LogName(const Scenario& s)
{
    const auto option = std::find(s.args.begin(), s.args.end(), "--log-name");
    return option != s.args.end() && option + 1 != s.args.end() ? *(option + 1) : "ndxulog.txt";
}

class ScenarioTest : public ::testing::TestWithParam<std::filesystem::path> {
protected:
    void Prepare(const Scenario& s)
    {
        WriteFileText(Package() / "fw512000.bin", PackageImage());
        WriteFileText(Package() / "ndxuback.txt", "Read me before the upgrade.\n");
        for (const auto& [name, text] : s.package) WriteFileText(Package() / name, text);
        for (const std::string& name : s.packageRemoved) std::filesystem::remove(Package() / name);
        for (const std::string& name : s.packageDirectories) {
            std::filesystem::remove(Package() / name);
            std::filesystem::create_directories(Package() / name);
        }
        SignAndAlter(s);
        for (const KeyInstallation& key : s.trustedKeys) InstallKey(key);
        WriteFileText(Staging() / "profback.bin", kEarlierBackup);
        for (const auto& [name, text] : s.staging) WriteFileText(Staging() / name, text);
        std::filesystem::create_directories(m_dir / "temp");
    }

    // The package's SHA256SUMS signed, then changed as the scenario says.
    void SignAndAlter(const Scenario& s)
    {
        if (s.signing)
            SignWithTestKey(Package() / "SHA256SUMS", s.signing->key, s.signing->trustedComment,
                            s.signing->legacy ? SignatureKind::Legacy : SignatureKind::Prehashed);
        for (const PackageEdit& edit : s.edits) {
            std::string text = ReadFileText(Package() / edit.file);
            std::size_t at = 0;
            for (int line = 1; line < edit.line; ++line) at = text.find('\n', at) + 1;
            at += static_cast<std::size_t>(edit.column - 1);
            ASSERT_LT(at, text.size()) << "no such byte in " << edit.file;
            const auto differing = std::find_if(edit.chars.begin(), edit.chars.end(), [&](char c) { return c != text[at]; });
            ASSERT_NE(differing, edit.chars.end()) << "no other character for " << edit.file;
            text[at] = *differing;
            WriteFileText(Package() / edit.file, text);
        }
        for (const auto& [name, bytes] : s.truncations) std::filesystem::resize_file(Package() / name, bytes);
    }

    // A test key's public key where the scenario puts it.
    void InstallKey(const KeyInstallation& installation)
    {
#ifdef _WIN32
        const std::filesystem::path userConfig = m_dir / "appdata" / "ndxu-upgrade";
#else
        const std::filesystem::path userConfig = m_dir / "config" / "ndxu-upgrade";
#endif
        const std::filesystem::path directory = installation.place == "user"     ? userConfig / "trusted-keys"
                                                : installation.place == "system" ? m_dir / "system" / "trusted-keys"
                                                                                 : m_dir / "given";
        std::filesystem::create_directories(directory);
        std::filesystem::permissions(directory, std::filesystem::perms::owner_all);
        const std::filesystem::path file = directory / (installation.key + ".pub");
        if (installation.place == "given") m_givenKeys.push_back(file.string());
        const std::string key = ReadFileText(TestPublicKey(installation.key));
        if (installation.mode == "link") {
            WriteFileText(m_dir / (installation.key + ".pub"), key);
            std::filesystem::create_symlink(m_dir / (installation.key + ".pub"), file);
            return;
        }
        WriteFileText(file, key);
        const auto mode = installation.mode.empty() ? 0644 : std::stoi(installation.mode, nullptr, 8);
        std::filesystem::permissions(file, static_cast<std::filesystem::perms>(mode));
    }

    std::map<std::string, std::string> Environment(const Scenario& s)
    {
        std::map<std::string, std::string> env = s.env;
        env.emplace("XDG_CONFIG_HOME", (m_dir / "config").string());
        env.emplace("APPDATA", (m_dir / "appdata").string());
        env.emplace("NDXU_SYSTEM_CONFIG_DIR", (m_dir / "system").string());
        env.emplace("TEMP", (m_dir / "temp").string());
        env.emplace("NDXU_DRIVE_C", DriveC().string());
        env.emplace("NDXU_PASSWORD", kPassword);
        env.emplace("NDXU_CONNECT_TIMEOUT", "5");
        env.emplace("NDXU_RECEIVE_TIMEOUT", "5");
        return env;
    }

    std::filesystem::path Package() const { return m_dir / "package"; }
    std::filesystem::path DriveC() const { return TestDriveC(m_dir.path()); }
    std::filesystem::path Staging() const { return DriveC() / "varn" / "ndxu511"; }
    std::filesystem::path History(const DevSim& sim) const
    {
        return Staging() / "history" / DeviceHistoryName("127.0.0.1", sim.HttpPort(), sim.FtpPort());
    }

    TempDir m_dir;
    std::vector<std::string> m_givenKeys;
};

TEST_P(ScenarioTest, EndsAsWrittenAndSafely)
{
    const Scenario s = ReadScenario(GetParam());
    SCOPED_TRACE(s.name + ": " + s.title);
#ifdef _WIN32
    if (s.linuxOnly) GTEST_SKIP() << "file modes and links are Linux's";
#endif
    Prepare(s);
    if (HasFatalFailure()) return;
    std::vector<std::string> deviceOptions = {"--password", kPassword};
    deviceOptions.insert(deviceOptions.end(), s.device.begin(), s.device.end());
    DevSim sim(deviceOptions);
    const Scenario expected = WithPorts(s, sim);

    std::vector<std::string> argv = {NDXU_UPGRADE_EXE, "--address", "127.0.0.1", "--http-port",
                                     std::to_string(sim.HttpPort()), "--ftp-port", std::to_string(sim.FtpPort())};
    argv.insert(argv.end(), s.args.begin(), s.args.end());
    for (const std::string& key : m_givenKeys) argv.insert(argv.end(), {"--trusted-key", key});
    const std::filesystem::path metricsFile = m_dir / "metrics" / "ndxu.prom";
    if (!s.metricsHas.empty()) {
        std::filesystem::create_directories(metricsFile.parent_path());
        argv.insert(argv.end(), {"--metrics-file", metricsFile.string()});
    }
    const auto started = std::chrono::steady_clock::now();
    const ProcessResult result = RunProcess(argv, Environment(s), {}, Package().string(),
                                            std::chrono::seconds(static_cast<long>(std::ceil(s.seconds)) + 30));
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    const std::filesystem::path logPath = m_dir / "temp" / LogName(s);
    const std::string log = std::filesystem::is_regular_file(logPath) ? ReadTextFile(logPath) : std::string();
    const std::string image = ReadIfThere(Staging() / "prod.bin").empty() ? PackageImage()
                                                                            : ReadFileText(Staging() / "prod.bin");
    const std::string onDevice = ReadIfThere(sim.FtpRoot() / "fw512000.bin");

    EXPECT_EQ(result.exitStatus, s.exitStatus) << result.out << result.err;
    EXPECT_LE(took.count(), s.seconds);
    std::string logTail;
    for (const std::string& entry : expected.logEnds) logTail += LogEntry(entry);
    EXPECT_TRUE(log.ends_with(logTail)) << "expected the log to end with\n" << logTail << "\nlog:\n" << log;
    for (const std::string& entry : expected.logHas) EXPECT_NE(log.find(LogEntry(entry)), std::string::npos) << entry;
    if (!expected.stdoutEnds.empty()) {
        EXPECT_TRUE(result.out.ends_with(expected.stdoutEnds + "\n")) << result.out;
    }
    for (const std::string& text : expected.stderrHas) EXPECT_NE(result.err.find(text), std::string::npos) << result.err;
    if (s.deviceGets == "nothing") {
        EXPECT_TRUE(sim.HttpRequests().empty());
        EXPECT_TRUE(sim.FtpRecords().empty());
    }
    if (!s.http.empty()) {
        std::vector<std::string> requests;
        for (const HttpRecord& request : sim.HttpRequests()) requests.push_back(request.method + " " + request.path);
        EXPECT_EQ(requests, s.http);
    }
    if (s.deviceGets == "no-ftp") {
        EXPECT_TRUE(sim.FtpRecords().empty());
    }
    if (s.deviceGets == "no-upload") {
        for (const std::string& command : sim.FtpCommands()) EXPECT_FALSE(command.starts_with("STOR")) << command;
    }
    if (s.deviceGets == "image") {
        EXPECT_TRUE(onDevice == image) << "the device does not hold the image";
    }

    // What holds for every run.
    for (const std::string& text : {log, result.out, result.err})
        EXPECT_EQ(text.find(kPassword), std::string::npos) << "the password leaked";
    EXPECT_EQ(FilesHolding(DriveC() / "varn", kPassword), std::vector<std::string>{});
    const std::string profile = ReadIfThere(sim.FtpRoot() / "prof.bin");
    const std::string backup = ReadIfThere(Staging() / "profback.bin");
    EXPECT_TRUE(backup == kEarlierBackup || backup == profile) << "the earlier backup was lost";
    if (std::filesystem::exists(History(sim))) {
        for (const auto& kept : std::filesystem::directory_iterator(History(sim)))
            if (IsProfileBackup(kept.path())) {
                EXPECT_EQ(ReadFileText(kept.path()), profile) << kept.path();
            }
    }
    if (std::find(s.args.begin(), s.args.end(), "--json") != s.args.end()) {
        const std::vector<nlohmann::json> lines = JsonLines(result.out);
        ExpectJsonStory(expected, lines, result.exitStatus);
        const nlohmann::json& report = lines.empty() ? nlohmann::json() : lines.back();
        EXPECT_EQ(report.value("log", nlohmann::json()), logPath.string());
        if (report.value("result", "") == "completed" && !profile.empty()) {
            EXPECT_TRUE(report.value("backup", nlohmann::json()).is_string()) << "no backup kept";
        }
        if (report.value("backup", nlohmann::json()).is_string()) {
            EXPECT_EQ(std::filesystem::path(report["backup"].get<std::string>()).parent_path(), History(sim));
            EXPECT_EQ(ReadFileText(report["backup"].get<std::string>()), profile);
        }
    }
    if (!s.metricsHas.empty()) ExpectMetrics(s, metricsFile);
    const bool check = std::find(s.args.begin(), s.args.end(), "--check") != s.args.end();
    const bool upToDate = log.find("Firmware Already Current: ") != std::string::npos;
    if (result.exitStatus == 0 && !check && !upToDate) {
        EXPECT_TRUE(onDevice == image) << "completed without the whole image on the device";
    }
    if (upToDate) {
        EXPECT_EQ(onDevice, "") << "a device on the package's version was flashed";
    }
    if (check) {
        EXPECT_EQ(onDevice, "") << "a check changed the device";
    }
}

std::string ScenarioName(const ::testing::TestParamInfo<std::filesystem::path>& info)
{
    std::string name = info.param.stem().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

// The scenarios run: the file NDXU_SCENARIO names alone (ctest runs each
// file as a test of its own, see ndxu_add_scenario_tests), else every file
// under tests/scenarios.
std::vector<std::filesystem::path> CampaignScenarios()
{
    if (const char* file = std::getenv("NDXU_SCENARIO")) return {file};
    return ScenarioFiles(NDXU_SCENARIO_DIR);
}

INSTANTIATE_TEST_SUITE_P(Campaign, ScenarioTest, ::testing::ValuesIn(CampaignScenarios()), ScenarioName);

}  // namespace
