// SPDX-License-Identifier: MIT
// Fleet runs: many simulated devices, each upgraded by a process of its own,
// as an administrator runs them from an inventory.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <regex>
#include <sstream>
#include <thread>

#include "tests/cli/fleet_fixture.h"
#include "tests/cli/metrics_samples.h"
#include "tests/cli/terminal_session.h"
#include "tests/support/drive_c.h"
#include "upgrade/utc_time.h"

namespace {

using namespace std::chrono_literals;

// Device -> result, from the rows of a summary table; a row's reason is on
// an indented line of its own below it.
std::map<std::string, std::string> SummaryResults(const std::string& table)
{
    std::map<std::string, std::string> results;
    for (const std::string& line : Lines(table)) {
        if (line.starts_with(" ")) continue;
        std::istringstream words(line);
        std::string device, result;
        if (words >> device >> result && device.starts_with("127.")) results[device] = result;
    }
    return results;
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// The processes whose parent is `pid`.
std::vector<pid_t> ChildrenOf(pid_t pid)
{
    std::vector<pid_t> children;
    std::ifstream in("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    for (pid_t child; in >> child;) children.push_back(child);
    return children;
}

// The child of `parent` that runs the device at `host`, once it runs.
pid_t DeviceProcess(pid_t parent, const std::string& host)
{
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
        for (pid_t child : ChildrenOf(parent)) {
            std::ifstream in("/proc/" + std::to_string(child) + "/cmdline");
            const std::string command((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (command.find(std::string("--address=") + host + '\0') != std::string::npos) return child;
        }
        std::this_thread::sleep_for(20ms);
    }
    throw std::runtime_error("no process for " + host);
}

std::size_t Uploads(const SimulatedDevice& device) { return Count(ReadFileText(device.transcript), "\"cmd\": \"STOR\""); }
std::size_t Logins(const SimulatedDevice& device)
{
    return Count(ReadFileText(device.transcript), "\"path\": \"/enter.htm\"");
}

// A run of the program the test starts and waits for itself, its output in
// files.
class WatchedRun {
public:
    WatchedRun(const std::vector<std::string>& command, const std::map<std::string, std::string>& env)
        : m_out(m_dir / "out.txt"), m_err(m_dir / "err.txt")
    {
        LaunchOptions options;
        options.env = env;
        options.out = ::open(m_out.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        options.err = ::open(m_err.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        m_process = std::make_unique<LaunchedProcess>(command, options);
        ::close(options.out);
        ::close(options.err);
    }
    int Pid() const { return m_process->Pid(); }
    ProcessResult Wait()
    {
        const int status = m_process->Wait();
        return {status, ReadFileText(m_out), ReadFileText(m_err)};
    }

private:
    TempDir m_dir;
    std::filesystem::path m_out;
    std::filesystem::path m_err;
    std::unique_ptr<LaunchedProcess> m_process;
};

class DeviceLockTest : public FleetTest {
protected:
    std::filesystem::path LockFile(const SimulatedDevice& device) const { return History(device) / "run.lock"; }
    // The device's history directory, made as the program makes it.
    void MakeHistory(const SimulatedDevice& device) const
    {
        std::filesystem::create_directories(History(device));
        for (std::filesystem::path directory = History(device); directory != m_dir.path(); directory = directory.parent_path())
            std::filesystem::permissions(directory, std::filesystem::perms::owner_all);
    }
    std::vector<std::string> Single(const SimulatedDevice& device) const
    {
        return Command({"--address", device.host, "--http-port", std::to_string(device.httpPort), "--ftp-port",
                        std::to_string(device.ftpPort), "--log-name", "ndxulog-single.txt"});
    }
    // Waits until a run has taken the device's lock and named itself there.
    std::string WaitForHolder(const SimulatedDevice& device) const
    {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (std::chrono::steady_clock::now() < deadline) {
            if (std::filesystem::exists(LockFile(device))) {
                const std::string text = ReadFileText(LockFile(device));
                if (!text.empty()) return text;
            }
            std::this_thread::sleep_for(20ms);
        }
        throw std::runtime_error("no run took the lock of " + device.host);
    }
};

const std::regex kHolderLine(R"(process (\d+) \(ndxu-upgrade\) since \d{4}-\d\d-\d\d \d\d:\d\d:\d\d UTC\n)");

TEST_F(DeviceLockTest, OfTwoRunsStartedTogetherForOneDeviceOneTalksToItAndTheOtherIsBusy)
{
    // Slow transfers: the first run still holds the device when the second asks for it.
    const SimulatedDevice device = Simulate(1, "127.0.0.1", {"--throttle", "100000"}).front();
    WatchedRun first(Single(device), Environment());
    WatchedRun second(Single(device), Environment());
    const int pids[] = {first.Pid(), second.Pid()};
    const ProcessResult results[] = {first.Wait(), second.Wait()};

    const int busy = results[0].exitStatus == 14 ? 0 : 1;
    EXPECT_EQ(results[busy].exitStatus, 14) << results[0].err << results[1].err;
    EXPECT_EQ(results[1 - busy].exitStatus, 0) << results[1 - busy].err;
    const std::string holder = "The LAN Modem at 127.0.0.1 is in the hands of another run: process " +
                               std::to_string(pids[1 - busy]) + " (ndxu-upgrade) since ";
    EXPECT_NE(results[busy].err.find(holder), std::string::npos) << holder << "\n" << results[busy].err;
    // One run's two logins and one upload: the busy run sent nothing.
    EXPECT_EQ(Logins(device), 2u);
    EXPECT_EQ(Uploads(device), 1u);
}

TEST_F(DeviceLockTest, ASingleRunForADeviceOfARunningFleetIsBusy)
{
    const std::vector<SimulatedDevice> devices = Simulate(2, "127.0.0.1", {"--throttle", "100000"});
    WatchedRun fleet(Command({"--inventory", WriteInventory().string()}), Environment());
    const std::string holder = WaitForHolder(devices[0]);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(holder, match, kHolderLine)) << holder;
    EXPECT_EQ(std::stoi(match[1].str()), DeviceProcess(fleet.Pid(), "127.0.0.1"));

    const ProcessResult single = RunProcess(Single(devices[0]), Environment());
    EXPECT_EQ(single.exitStatus, 14) << single.err;
    EXPECT_NE(single.err.find("is in the hands of another run: " + holder.substr(0, holder.size() - 1) + "."),
              std::string::npos)
        << single.err;

    const ProcessResult ended = fleet.Wait();
    EXPECT_EQ(ended.exitStatus, 0) << ended.out << ended.err;
    EXPECT_EQ(Logins(devices[0]), 2u);
    EXPECT_EQ(Uploads(devices[0]), 1u);
}

TEST_F(DeviceLockTest, ALockHeldElsewhereStopsTheRunAndOneLeftByADeadProcessIsTakenOver)
{
    const SimulatedDevice device = Simulate(1, "127.0.0.1").front();
    MakeHistory(device);
    const std::string held = "process 4242 (the test) since 2026-12-09 12:00:00 UTC\n";
    WriteFileText(LockFile(device), held);
    {
        const int fd = ::open(LockFile(device).c_str(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
        for (const std::vector<std::string>& command :
             {Single(device), Command({"--check", "--address", device.host, "--http-port",
                                       std::to_string(device.httpPort), "--ftp-port", std::to_string(device.ftpPort)})}) {
            const ProcessResult result = RunProcess(command, Environment());
            EXPECT_EQ(result.exitStatus, 14) << result.err;
            EXPECT_NE(result.err.find("The LAN Modem at 127.0.0.1 is in the hands of another run: process 4242 (the "
                                      "test) since 2026-12-09 12:00:00 UTC."),
                      std::string::npos)
                << result.err;
        }
        ::close(fd);
    }
    EXPECT_EQ(device.RecordCount(), 0u);
    EXPECT_EQ(ReadFileText(LockFile(device)), held);

    // The holder is gone; its text stays behind.
    const ProcessResult result = RunProcess(Single(device), Environment());
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(Uploads(device), 1u);
    const std::string holder = ReadFileText(LockFile(device));
    EXPECT_TRUE(std::regex_match(holder, kHolderLine)) << holder;
}

TEST_F(DeviceLockTest, AFleetFlashesNoDeviceWhoseBackupCannotBeKept)
{
    const std::vector<SimulatedDevice> devices = Simulate(3, "127.0.0.1");
    // The second device's history is a link to a directory of someone else's choosing.
    MakeHistory(devices[1]);
    std::filesystem::remove(History(devices[1]));
    std::filesystem::create_directories(m_dir / "elsewhere");
    std::filesystem::create_directory_symlink(m_dir / "elsewhere", History(devices[1]));
    const ProcessResult result = Run({"--inventory", WriteInventory().string()});

    EXPECT_EQ(result.exitStatus, 12) << result.err;
    const std::map<std::string, std::string> expected = {
        {"127.0.0.1", "completed"}, {"127.0.0.2", "input_refused"}, {"127.0.0.3", "completed"}};
    EXPECT_EQ(SummaryResults(result.out), expected) << result.out;
    const std::string reason = "no backup, no flash: C:\\varn\\ndxu511\\history\\" +
                               History(devices[1]).filename().string() + " is a symbolic link";
    EXPECT_NE(result.out.find(reason), std::string::npos) << result.out;
    EXPECT_EQ(devices[1].RecordCount(), 0u);
    EXPECT_TRUE(std::filesystem::is_empty(m_dir / "elsewhere"));
    EXPECT_EQ(Uploads(devices[0]), 1u);
    EXPECT_EQ(Uploads(devices[2]), 1u);
}

TEST_F(DeviceLockTest, AFleetFlashesNoDeviceWhoseHistoryIsOnAFullDisk)
{
    if (RunProcess({"/usr/bin/unshare", "-rm", "/bin/true"}).exitStatus != 0)
        GTEST_SKIP() << "user namespaces are not available here: no private mount for a full disk";
    const std::vector<SimulatedDevice> devices = Simulate(2, "127.0.0.1");
    MakeHistory(devices[0]);
    // The first device's history: a tiny file system, filled up.
    const std::string history = History(devices[0]).string();
    std::vector<std::string> command = {"/usr/bin/unshare", "-rm", "/bin/sh", "-c",
                                        "mount -t tmpfs -o size=16k,mode=0700 tmpfs \"$0\" && "
                                        "{ dd if=/dev/zero of=\"$0/filler\" bs=4k 2>/dev/null; shift; exec \"$@\"; }",
                                        history, "--"};
    const std::vector<std::string> fleet = Command({"--inventory", WriteInventory().string()});
    command.insert(command.end(), fleet.begin(), fleet.end());
    const ProcessResult result = RunProcess(command, Environment());

    EXPECT_EQ(result.exitStatus, 12) << result.out << result.err;
    const std::map<std::string, std::string> expected = {{"127.0.0.1", "upload_not_started"},
                                                          {"127.0.0.2", "completed"}};
    EXPECT_EQ(SummaryResults(result.out), expected) << result.out;
    EXPECT_NE(result.out.find("no backup, no flash: "), std::string::npos) << result.out;
    EXPECT_EQ(Uploads(devices[0]), 0u);
    EXPECT_EQ(Uploads(devices[1]), 1u);
}

TEST_F(FleetTest, EightDevicesOneRefusingThePasswordOneCrashingMidUpload)
{
    Simulate(7, "127.0.0.1", {"--for-device", "2:--password=other"});
    Simulate(1, "127.0.0.8", {"--crash-during-upload", "100000"});
    const ProcessResult result = Run({"--inventory", WriteInventory().string(), "--jobs", "4"});

    EXPECT_EQ(result.exitStatus, 12) << result.err;
    const std::map<std::string, std::string> expected = {
        {"127.0.0.1", "completed"}, {"127.0.0.2", "completed"},        {"127.0.0.3", "password_refused"},
        {"127.0.0.4", "completed"}, {"127.0.0.5", "completed"},        {"127.0.0.6", "completed"},
        {"127.0.0.7", "completed"}, {"127.0.0.8", "upload_failed"}};
    EXPECT_EQ(SummaryResults(result.out), expected) << result.out;
    EXPECT_TRUE(Lines(result.out).back().starts_with("8 devices: 6 completed, 0 up to date, 2 failed, 0 not started")) << result.out;
    // Each device's log holds its own run, and only that.
    for (const auto& [host, ignored] : expected) {
        const std::string log = DeviceLog(host);
        EXPECT_EQ(Count(log, "******Continue Button Pushed\n"), 1u) << host;
        EXPECT_EQ(Count(log, "******Server Specified: "), 1u) << host;
        EXPECT_EQ(Count(log, "******Server Specified: " + host + "\n"), 1u) << host;
    }
}

TEST_F(FleetTest, JsonLinesOfAFleetEndEachDeviceWithItsResultAndTheRunWithASummary)
{
    Simulate(3, "127.0.0.1", {"--for-device", "1:--password=other"});
    const ProcessResult result = Run({"--json", "--inventory", WriteInventory().string()});

    EXPECT_EQ(result.exitStatus, 12);
    const std::regex time(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)");
    std::map<std::string, std::vector<nlohmann::json>> byDevice;
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_FALSE(lines.empty());
    for (const std::string& line : lines) {
        const nlohmann::json event = nlohmann::json::parse(line);  // throws for a line that is no JSON
        ASSERT_TRUE(std::regex_match(event.at("time").get<std::string>(), time)) << line;
        if (!event.at("device").is_null()) byDevice[event.at("device")].push_back(event);
    }
    ASSERT_EQ(byDevice.size(), 3u);
    for (const auto& [device, events] : byDevice) {
        EXPECT_EQ(events.front().at("event"), "phase") << device;
        EXPECT_EQ(events.back().at("event"), "result") << device;
        EXPECT_EQ(std::count_if(events.begin(), events.end(), [](auto& e) { return e.at("event") == "result"; }), 1);
    }
    const nlohmann::json refused = byDevice["127.0.0.2"].back();
    EXPECT_EQ(refused.at("result"), "password_refused");
    EXPECT_EQ(refused.at("exit"), 5);
    EXPECT_TRUE(refused.at("reason").is_string());
    EXPECT_EQ(byDevice["127.0.0.1"].back().at("result"), "completed");
    EXPECT_EQ(byDevice["127.0.0.1"].back().at("version_before"), "5.0.3");

    const nlohmann::json summary = nlohmann::json::parse(lines.back());
    EXPECT_EQ(summary.at("event"), "summary");
    EXPECT_TRUE(summary.at("device").is_null());
    EXPECT_EQ(summary.at("devices"), 3);
    EXPECT_EQ(summary.at("completed"), 2);
    EXPECT_EQ(summary.at("failed"), 1);
    EXPECT_EQ(summary.at("not_started"), 0);
    EXPECT_EQ(summary.at("exit"), 12);
    // The summary table goes to standard error.
    EXPECT_NE(result.err.find("3 devices: 2 completed, 0 up to date, 1 failed, 0 not started"), std::string::npos) << result.err;
}

// The JSON lines of each device, in order.
std::map<std::string, std::vector<nlohmann::json>> LinesByDevice(const std::string& out)
{
    std::map<std::string, std::vector<nlohmann::json>> byDevice;
    for (const std::string& line : Lines(out)) {
        const nlohmann::json event = nlohmann::json::parse(line);
        if (!event.at("device").is_null()) byDevice[event.at("device")].push_back(event);
    }
    return byDevice;
}

std::vector<nlohmann::json> Events(const std::vector<nlohmann::json>& lines, const std::string& kind)
{
    std::vector<nlohmann::json> events;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(events),
                 [&](const nlohmann::json& e) { return e.at("event") == kind; });
    return events;
}

TEST_F(FleetTest, RetriesTryAgainOnlyADeviceThatFailedBeforeItWasChanged)
{
    // 127.0.0.1 and 127.0.0.3 reset their first two web connections;
    // 127.0.0.2 drops its upload.
    const std::vector<SimulatedDevice> devices =
        Simulate(3, "127.0.0.1",
                 {"--for-device", "0:--unreachable-first 2", "--for-device", "1:--stor-fault drop", "--for-device",
                  "2:--unreachable-first 2"});
    WriteFileText(m_dir / "retried.txt", devices[0].InventoryLine() + devices[1].InventoryLine());
    WriteFileText(m_dir / "once.txt", devices[2].InventoryLine());
    const struct {
        std::string inventory;
        std::vector<std::string> retries;
        std::map<std::string, std::string> results;
        std::map<std::string, int> exits;
        std::map<std::string, int> attempts;
    } cases[] = {
        {"retried.txt", {"--retries", "2"}, {{"127.0.0.1", "completed"}, {"127.0.0.2", "upload_failed"}},
         {{"127.0.0.1", 0}, {"127.0.0.2", 10}}, {{"127.0.0.1", 3}, {"127.0.0.2", 1}}},
        {"once.txt", {}, {{"127.0.0.3", "device_not_reached"}}, {{"127.0.0.3", 4}}, {{"127.0.0.3", 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.inventory);
        std::vector<std::string> args = {"--json", "--inventory", (m_dir / c.inventory).string()};
        args.insert(args.end(), c.retries.begin(), c.retries.end());
        const ProcessResult result = Run(args);
        EXPECT_EQ(result.exitStatus, 12) << result.err;

        const std::map<std::string, std::vector<nlohmann::json>> byDevice = LinesByDevice(result.out);
        ASSERT_EQ(byDevice.size(), c.results.size()) << result.out;
        for (const auto& [device, lines] : byDevice) {
            SCOPED_TRACE(device);
            const nlohmann::json& last = lines.back();
            EXPECT_EQ(last.at("event"), "result");
            EXPECT_EQ(last.at("result"), c.results.at(device));
            EXPECT_EQ(last.at("exit"), c.exits.at(device));
            EXPECT_EQ(last.at("attempts"), c.attempts.at(device));
            // A line for each failed attempt tried again, before the result,
            // with the wait of 1 s doubled per attempt, jittered down to half.
            const std::vector<nlohmann::json> attempts = Events(lines, "attempt");
            ASSERT_EQ(attempts.size(), static_cast<std::size_t>(c.attempts.at(device) - 1)) << result.out;
            for (std::size_t i = 0; i < attempts.size(); ++i) {
                EXPECT_EQ(attempts[i].at("attempt"), i + 1);
                EXPECT_EQ(attempts[i].at("result"), "device_not_reached");
                EXPECT_EQ(attempts[i].at("exit"), 4);
                EXPECT_TRUE(attempts[i].at("reason").is_string());
                const double delay = static_cast<double>(1 << i);
                EXPECT_GE(attempts[i].at("retry_in").get<double>(), delay / 2);
                EXPECT_LE(attempts[i].at("retry_in").get<double>(), delay);
            }
        }
        // Standard error says when a device waits to be tried again, and the
        // summary table which device needed more attempts.
        const std::regex waiting(R"(127\.0\.0\.1  attempt 2 device_not_reached: [^\n]+; waiting to be tried again: )"
                                 R"(attempt 3 in [12]\.\d s\n)");
        EXPECT_EQ(std::regex_search(result.err, waiting), !c.retries.empty()) << result.err;
        EXPECT_EQ(Count(result.err, "127.0.0.1  started (attempt 3)\n"), c.retries.empty() ? 0u : 1u) << result.err;
        EXPECT_EQ(Count(result.err, "    after 3 attempts\n"), c.retries.empty() ? 0u : 1u) << result.err;
    }
    // The dropped upload was not tried again; each run of a device logged in twice.
    EXPECT_EQ(Uploads(devices[1]), 1u);
    EXPECT_EQ(Logins(devices[0]), 2u);
    EXPECT_EQ(Count(ReadFileText(devices[0].transcript), "\"event\": \"unreachable\""), 2u);
    EXPECT_EQ(Count(ReadFileText(devices[2].transcript), "\"event\": \"unreachable\""), 1u);
    // The device's journal holds each attempt as a run of its own.
    std::vector<std::pair<int, std::string>> runs;
    for (const std::string& line : Lines(ReadFileText(History(devices[0]) / "journal.jsonl"))) {
        const nlohmann::json entry = nlohmann::json::parse(line);
        if (entry.at("event") == "end") runs.emplace_back(entry.at("attempt"), entry.at("result"));
    }
    EXPECT_EQ(runs, (std::vector<std::pair<int, std::string>>{
                        {1, "device_not_reached"}, {2, "device_not_reached"}, {3, "completed"}}));
    EXPECT_EQ(Logins(devices[2]), 0u);
}

// The value of the sample of `series` ("NAME{LABELS}") the client library's
// parser read in the metrics file; none when it holds no such sample.
std::optional<double> SampleValue(const ParsedMetrics& metrics, const std::string& series)
{
    for (const std::string& sample : metrics.samples)
        if (sample.starts_with(series + " ")) return std::stod(sample.substr(series.size() + 1));
    return std::nullopt;
}

std::optional<double> UnixSeconds(const std::string& utcTimestamp)
{
    const auto time = ParseUtcTimestamp(utcTimestamp);
    if (!time) return std::nullopt;
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(time->time_since_epoch());
    return static_cast<double>(milliseconds.count()) / 1000;
}

TEST_F(FleetTest, TheMetricsFileGivesEachDeviceItsResultAndTheFleetItsCounts)
{
    const std::vector<SimulatedDevice> devices = Simulate(2, "127.0.0.1", {"--for-device", "1:--password=other"});
    const std::filesystem::path metrics = m_dir / "metrics" / "ndxu.prom";
    std::filesystem::create_directories(metrics.parent_path());
    const ProcessResult first =
        Run({"--json", "--inventory", WriteInventory().string(), "--metrics-file", metrics.string()});
    EXPECT_EQ(first.exitStatus, 12) << first.err;
    std::map<std::string, std::string> resultTimes;
    for (const std::string& line : Lines(first.out)) {
        const nlohmann::json event = nlohmann::json::parse(line);
        if (event.at("event") == "result") resultTimes[event.at("device")] = event.at("time");
    }

    const ParsedMetrics parsed = ParseMetricsFile(metrics);
    ASSERT_EQ(parsed.exitStatus, 0) << parsed.problem << ReadFileText(metrics);
    EXPECT_EQ(parsed.samples, SampleLines(ReadFileText(metrics)));
    for (const char* sample : {R"(ndxu_upgrade_last_result{device="127.0.0.1",result="completed"} 1)",
                               R"(ndxu_upgrade_last_result{device="127.0.0.2",result="password_refused"} 1)",
                               R"(ndxu_upgrade_duration_seconds{device="127.0.0.1"} *)",
                               R"(ndxu_upgrade_duration_seconds{device="127.0.0.2"} *)",
                               R"(ndxu_upgrade_devices{result="completed"} 1)",
                               R"(ndxu_upgrade_devices{result="password_refused"} 1)", "ndxu_upgrade_devices_total 2"})
        EXPECT_TRUE(HoldsSample(parsed.samples, sample)) << sample << "\n" << ReadFileText(metrics);
    EXPECT_EQ(std::count_if(parsed.samples.begin(), parsed.samples.end(),
                            [](const std::string& sample) { return sample.starts_with("ndxu_upgrade_devices{"); }),
              2);
    // The completed device ended its run when its result line says; the
    // refused one never succeeded, and its version was never read.
    ASSERT_TRUE(UnixSeconds(resultTimes["127.0.0.1"])) << first.out;
    EXPECT_EQ(SampleValue(parsed, R"(ndxu_upgrade_last_success_timestamp_seconds{device="127.0.0.1"})"),
              UnixSeconds(resultTimes["127.0.0.1"]));
    EXPECT_EQ(SampleValue(parsed, R"(ndxu_upgrade_last_success_timestamp_seconds{device="127.0.0.2"})"), std::nullopt);
    EXPECT_FALSE(HoldsSample(parsed.samples, R"(ndxu_firmware_info{device="127.0.0.2",version="5.0.3"} *)"));

    // A package no key signed fails every device: the completed one's last
    // success is its journal's, and the file is replaced.
    const ProcessResult second = Run({"--inventory", WriteInventory().string(), "--require-signature", "--metrics-file",
                                      metrics.string()});
    EXPECT_EQ(second.exitStatus, 12) << second.err;
    const ParsedMetrics after = ParseMetricsFile(metrics);
    ASSERT_EQ(after.exitStatus, 0) << after.problem;
    EXPECT_TRUE(HoldsSample(after.samples, R"(ndxu_upgrade_devices{result="package_refused"} 2)"))
        << ReadFileText(metrics);
    EXPECT_FALSE(HoldsSample(after.samples, R"(ndxu_upgrade_devices{result="completed"} *)"));
    std::optional<double> journalEnd;
    const std::filesystem::path journal = History(devices[0]) / "journal.jsonl";
    for (const std::string& line : Lines(ReadFileText(journal))) {
        const nlohmann::json entry = nlohmann::json::parse(line);
        if (entry.at("event") == "end" && entry.at("result") == "completed") journalEnd = UnixSeconds(entry.at("time"));
    }
    ASSERT_TRUE(journalEnd);
    EXPECT_EQ(SampleValue(after, R"(ndxu_upgrade_last_success_timestamp_seconds{device="127.0.0.1"})"), journalEnd);
    EXPECT_EQ(SampleValue(after, R"(ndxu_upgrade_last_success_timestamp_seconds{device="127.0.0.2"})"), std::nullopt);
    EXPECT_EQ(std::vector<std::filesystem::path>(std::filesystem::directory_iterator(metrics.parent_path()), {}),
              std::vector<std::filesystem::path>{metrics});
}

TEST_F(FleetTest, AFleetRunTwiceFlashesOnlyTheDevicesBehindThePackage)
{
    // 127.0.0.1 runs 5.0.3 and comes back on the package's 5.1.2, 127.0.0.2
    // runs 5.1.2 already, 127.0.0.3 a newer 5.10.0.
    const std::vector<SimulatedDevice> devices =
        Simulate(3, "127.0.0.1",
                 {"--restart-after-upload", "2", "--version-after", "5.1.2", "--for-device",
                  "1:--firmware-version 5.1.2", "--for-device", "2:--firmware-version 5.10.0"});
    const std::string inventory = WriteInventory().string();
    const auto uploads = [&] {
        std::size_t stored = 0;
        for (const SimulatedDevice& device : devices) stored += Count(ReadFileText(device.transcript), "\"cmd\": \"STOR\"");
        return stored;
    };

    const ProcessResult first = Run({"--inventory", inventory, "--confirm=20"});
    EXPECT_EQ(first.exitStatus, 12) << first.err;
    const std::map<std::string, std::string> firstResults = {
        {"127.0.0.1", "completed"}, {"127.0.0.2", "up_to_date"}, {"127.0.0.3", "downgrade_refused"}};
    EXPECT_EQ(SummaryResults(first.out), firstResults) << first.out;
    EXPECT_TRUE(Lines(first.out).back().starts_with("3 devices: 1 completed, 1 up to date, 1 failed, 0 not started"))
        << first.out;
    const std::size_t uploadsOfTheFirstRun = uploads();
    EXPECT_GT(uploadsOfTheFirstRun, 0u);

    const ProcessResult second = Run({"--json", "--inventory", inventory});
    EXPECT_EQ(second.exitStatus, 12) << second.err;
    EXPECT_EQ(uploads(), uploadsOfTheFirstRun) << "the second run flashed again";
    const nlohmann::json summary = nlohmann::json::parse(Lines(second.out).back());
    EXPECT_EQ(summary.at("completed"), 0);
    EXPECT_EQ(summary.at("up_to_date"), 2);
    EXPECT_EQ(summary.at("failed"), 1);
    for (const std::string& line : Lines(second.out)) {
        const nlohmann::json event = nlohmann::json::parse(line);
        if (event.at("event") == "result") {
            EXPECT_EQ(event.at("changed"), false) << line;
        }
    }
}

TEST_F(FleetTest, MaxFailuresStopsStartingDevicesWhileThoseRunningFinish)
{
    const std::vector<SimulatedDevice> devices = Simulate(6, "127.0.0.1", {"--password", "other"});
    const ProcessResult result =
        Run({"--inventory", WriteInventory().string(), "--jobs", "2", "--max-failures", "1"});

    EXPECT_EQ(result.exitStatus, 12);
    const std::map<std::string, std::string> results = SummaryResults(result.out);
    EXPECT_EQ(results.at("127.0.0.1"), "password_refused");
    EXPECT_EQ(results.at("127.0.0.2"), "password_refused");
    for (std::size_t i = 2; i < devices.size(); ++i) {
        EXPECT_EQ(results.at(devices[i].host), "not_started");
        EXPECT_EQ(devices[i].RecordCount(), 0u) << devices[i].host;
    }
    EXPECT_NE(result.out.find("not started: 2 devices had failed (--max-failures 1)"), std::string::npos) << result.out;
    EXPECT_TRUE(Lines(result.out).back().starts_with("6 devices: 0 completed, 0 up to date, 2 failed, 4 not started"));
}

TEST_F(FleetTest, DevicesWhoseProcessCannotBeMadeAreNotStartedSayingWhy)
{
    // So few descriptors that the pipes of only some devices' processes can
    // be made; the devices are not reached (nothing listens on port 1).
    std::vector<std::string> args = {"/bin/sh", "-c", "ulimit -n 16 && exec \"$@\"", "sh"};
    const std::vector<std::string> fleet =
        Command({"--jobs", "6", "--http-port", "1", "--address", "127.0.0.1", "--address", "127.0.0.2", "--address",
                 "127.0.0.3", "--address", "127.0.0.4", "--address", "127.0.0.5", "--address", "127.0.0.6"});
    args.insert(args.end(), fleet.begin(), fleet.end());
    const ProcessResult result = RunProcess(args, Environment());

    EXPECT_EQ(result.exitStatus, 12) << result.err;
    const std::map<std::string, std::string> results = SummaryResults(result.out);
    ASSERT_EQ(results.size(), 6u) << result.out;
    std::size_t notStarted = 0;
    for (const auto& [device, shown] : results) {
        if (shown == "not_started") ++notStarted;
        else EXPECT_EQ(shown, "device_not_reached") << device << "\n" << result.out;
    }
    EXPECT_GT(notStarted, 0u) << result.out;
    EXPECT_LT(notStarted, 6u) << result.out;
    EXPECT_EQ(Count(result.out, "    not started: the device's process could not be started: "), notStarted)
        << result.out;
    EXPECT_EQ(Count(result.out, ": Too many open files\n"), notStarted) << result.out;
    EXPECT_EQ(Count(result.out, " port 1: Connection refused\n"), 6 - notStarted) << result.out;
    EXPECT_EQ(result.out.find("crashed"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(std::to_string(notStarted) + " not started"), std::string::npos) << result.out;
}

TEST_F(FleetTest, InventoryFaultsAreRefusedBeforeAnyDeviceIsTouched)
{
    const SimulatedDevice device = Simulate(1, "127.0.0.1").front();
    const std::string good = device.InventoryLine();
    const std::string ports = "(web port " + std::to_string(device.httpPort) + ", FTP port " +
                              std::to_string(device.ftpPort) + ")";
    const std::string inventory = (m_dir / "inventory.txt").string();
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"# devices\n" + good + "127.0.0.2 foo\n", ":3: unknown field 'foo'\n"},
        {good + "127.0.0.2 http=70000\n", ":2: bad port 'http=70000': a port is a number from 1 to 65535\n"},
        {good + "127.0.0.2 ftp=21 ftp=2121\n", ":2: ftp= given twice\n"},
        {good + "\n" + good, ":3: device 127.0.0.1 " + ports + " is listed twice (first "},
        {"# nothing but comments\n\n   # and blanks\n", ": no device in the inventory\n"},
        {good + std::string("127.0.0.2\0.spare\n", 17), ":2: the line holds a NUL byte at column 10\n"},
        {good + "127.0.0.2\t\x07\n", ":2: the line holds the control character U+0007 at column 11\n"},
        {good + "caf\xC3\n", ":2: the line is not valid UTF-8: byte 0xC3 at column 4\n"},
        {good + "--check\n", ":2: the address '--check' begins with '-': an address is expected, not an option\n"},
        {good + "../../x\n", ":2: the address '../../x' is no host name: it has a character a host name cannot "
                             "hold (letters, digits, '-' and '.' only)\n"},
        {good + "$(reboot)\n", ":2: the address '$(reboot)' is no host name: it has a character"},
        {good + std::string(300, 'm') + "\n", ":2: the address '" + std::string(24, 'm') + "...' is 300 bytes long"},
        {"\xEF\xBB\xBF" + good + "127.1" + good.substr(9),
         ":2: device 127.1 " + ports + " is listed twice (first " + inventory + ":1 as 127.0.0.1)\n"},
        {good + "LOCALHOST" + good.substr(9), ":2: LOCALHOST and 127.0.0.1 ("},
    };
    for (const auto& c : cases) {
        WriteFileText(inventory, c.text);
        const ProcessResult result = Run({"--inventory", inventory});
        EXPECT_EQ(result.exitStatus, 2) << c.message;
        EXPECT_NE(result.err.find("ndxu-upgrade: " + inventory + c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
    const ProcessResult twice = Run({"--address", "127.0.0.1", "--address", "127.0.0.1"});
    EXPECT_EQ(twice.exitStatus, 2);
    EXPECT_NE(twice.err.find("--address 127.0.0.1: device 127.0.0.1 (web port 80, FTP port 21) is listed twice"),
              std::string::npos)
        << twice.err;
    // Files that are no inventory.
    WriteFileText(inventory, good + std::string(17 << 20, '#'));
    for (const auto& [path, problem] : std::map<std::string, std::string>{
             {m_dir.path().string(), "it is a directory"}, {inventory, "it is larger than 16777216 bytes"}}) {
        const ProcessResult result = Run({"--inventory", path});
        EXPECT_EQ(result.exitStatus, 2) << problem;
        EXPECT_EQ(result.err, "ndxu-upgrade: " + path + ": cannot read the inventory: " + problem + "\n");
    }
    EXPECT_EQ(device.RecordCount(), 0u);
    EXPECT_TRUE(std::filesystem::is_empty(m_dir / "temp"));

    // Two names of one device, checked by two runs when the user says so.
    WriteFileText(inventory, good + "localhost" + good.substr(9));
    const ProcessResult aliases = Run({"--check", "--allow-aliases", "--inventory", inventory});
    EXPECT_EQ(aliases.exitStatus, 0) << aliases.out << aliases.err;
    EXPECT_EQ(SummaryResults(aliases.out).at("127.0.0.1"), "checked") << aliases.out;
    EXPECT_NE(aliases.out.find("\nlocalhost "), std::string::npos) << aliases.out;
}

TEST_F(FleetTest, CheckOverAnInventoryReportsVersionsAndStopsADeviceOverItsTime)
{
    Simulate(2, "127.0.0.1", {"--for-device", "1:--reply stat1=silent"});
    const ProcessResult result = Run({"--check", "--inventory", WriteInventory().string(), "--device-timeout", "3"});

    EXPECT_EQ(result.exitStatus, 12);
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_GE(lines.size(), 4u) << result.out;
    EXPECT_TRUE(lines[0].starts_with("DEVICE")) << lines[0];
    EXPECT_NE(lines[0].find("VERSION"), std::string::npos) << lines[0];
    EXPECT_TRUE(std::regex_search(lines[1], std::regex(R"(^127\.0\.0\.1 +checked +5\.0\.3 )"))) << lines[1];
    EXPECT_TRUE(std::regex_search(lines[2], std::regex(R"(^127\.0\.0\.2 +timed_out +- )"))) << lines[2];
    EXPECT_NE(lines[3].find("stopped after 3 seconds"), std::string::npos) << lines[3];
    EXPECT_TRUE(lines.back().starts_with("2 devices: 1 checked, 1 failed, 0 not started")) << lines.back();
}

// Waits until `file` holds a line holding each of `parts`.
void WaitForLine(const std::filesystem::path& file, const std::vector<std::string>& parts)
{
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
        for (const std::string& line : Lines(ReadFileText(file)))
            if (std::all_of(parts.begin(), parts.end(), [&](const std::string& p) { return line.find(p) != line.npos; }))
                return;
        std::this_thread::sleep_for(20ms);
    }
    throw std::runtime_error("no line with " + parts.front() + " in " + file.string());
}

TEST_F(FleetTest, KilledDeviceProcessIsCrashedAndSigtermStopsTheRun)
{
    // Uploads slow enough to be caught in the middle.
    Simulate(4, "127.0.0.1", {"--throttle", "30000"});
    TempDir output;
    const std::filesystem::path out = output / "out.txt";
    const std::filesystem::path err = output / "err.txt";
    LaunchOptions options;
    options.env = Environment();
    options.out = ::open(out.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    options.err = ::open(err.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    LaunchedProcess fleet(Command({"--json", "--inventory", WriteInventory().string(), "--jobs", "2"}), options);
    ::close(options.out);
    ::close(options.err);

    // Killed in the middle of its upload, once its phase lines told the
    // version found and the backup kept.
    const pid_t first = DeviceProcess(fleet.Pid(), "127.0.0.1");
    WaitForLine(out, {R"("device":"127.0.0.1")", R"("phase":"upload")"});
    ::kill(first, SIGKILL);
    // The third device takes the place of the first; then the run is stopped.
    DeviceProcess(fleet.Pid(), "127.0.0.3");
    ::kill(fleet.Pid(), SIGTERM);
    EXPECT_EQ(fleet.Wait(), 143);

    const std::string table = ReadFileText(err);
    const std::map<std::string, std::string> expected = {{"127.0.0.1", "crashed"},
                                                          {"127.0.0.2", "interrupted"},
                                                          {"127.0.0.3", "interrupted"},
                                                          {"127.0.0.4", "not_started"}};
    EXPECT_EQ(SummaryResults(table), expected) << table << ReadFileText(err);
    EXPECT_NE(table.find("the device's process was killed by SIGKILL without a result while uploading fw512000.bin"),
              std::string::npos)
        << table;
    EXPECT_NE(table.find("not started: the run was stopped by SIGTERM"), std::string::npos) << table;
    std::optional<nlohmann::json> crashed;
    for (const std::string& line : Lines(ReadFileText(out))) {
        const nlohmann::json event = nlohmann::json::parse(line);
        if (event.at("event") == "result" && event.at("device") == "127.0.0.1") crashed = event;
    }
    ASSERT_TRUE(crashed) << ReadFileText(out);
    EXPECT_EQ(crashed->at("result"), "crashed");
    EXPECT_EQ(crashed->at("version_before"), "5.0.3");
    EXPECT_TRUE(crashed->at("backup").is_string()) << *crashed;
    EXPECT_NE(crashed->at("backup").get<std::string>().find("127.0.0.1"), std::string::npos) << *crashed;
    EXPECT_TRUE(Lines(table).back().ends_with("; stopped by SIGTERM")) << table;
    EXPECT_NE(ReadFileText(err).find("ndxu-upgrade: stopped by SIGTERM: no further device starts; a device in an upload "
                                     "finishes it first; a second SIGINT or SIGTERM stops every device at once\n"),
              std::string::npos)
        << ReadFileText(err);
}

// The lines a terminal shows of `screen`: the cursor's movements and the
// erasing of lines taken away, each carriage return starting its line again.
std::vector<std::string> ShownLines(const std::string& screen)
{
    static const std::regex kControl("\x1b\\[[0-9]*[A-Za-z]");
    std::vector<std::string> shown;
    for (std::string line : Lines(std::regex_replace(screen, kControl, ""))) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        shown.push_back(line.substr(line.rfind('\r') == std::string::npos ? 0 : line.rfind('\r') + 1));
    }
    return shown;
}

TEST_F(FleetTest, OnAnEightyColumnTerminalEveryLineFitsAndCutLinesEndInAnEllipsis)
{
    Simulate(3, "127.0.0.1", {"--for-device", "1:--password=other", "--throttle", "200000"});
    TerminalSession fleet(Command({"--inventory", WriteInventory().string(), "--jobs", "2"}), Environment(),
                          m_dir.path().string(), 80, 24);
    EXPECT_EQ(fleet.Wait(60s), 12) << fleet.Screen();
    const std::vector<std::string> lines = ShownLines(fleet.Screen());
    for (const std::string& line : lines) EXPECT_LE(line.size(), 80u) << line;
    // The live block left the last column free and cut its lines.
    EXPECT_NE(fleet.Screen().find(" running, "), std::string::npos) << fleet.Screen();
    const auto cut = std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.size() == 79 && line.ends_with("...");
    });
    EXPECT_GE(cut, 1) << fleet.Screen();
    // The summary's rows are whole in their columns, its paths shortened.
    const auto header =
        std::find_if(lines.begin(), lines.end(), [](const std::string& line) { return line.starts_with("DEVICE"); });
    std::string table;
    for (auto line = header; line != lines.end(); ++line) table += *line + "\n";
    const std::map<std::string, std::string> expected = {
        {"127.0.0.1", "completed"}, {"127.0.0.2", "password_refused"}, {"127.0.0.3", "completed"}};
    EXPECT_EQ(SummaryResults(table), expected) << table;
    // At 80 columns a log's path keeps its end.
    EXPECT_EQ(table.find((m_dir / "temp").string()), std::string::npos) << table;
    for (const SimulatedDevice& device : AllDevices()) {
        const std::string name = DeviceHistoryName(device.host, device.httpPort, device.ftpPort);
        const std::string log = (m_dir / "temp" / ("ndxulog-" + name + ".txt")).string();
        const auto row = std::find_if(header, lines.end(),
                                      [&](const std::string& line) { return line.starts_with(device.host + "  "); });
        ASSERT_NE(row, lines.end()) << table;
        const std::size_t ellipsis = row->rfind("...");
        ASSERT_NE(ellipsis, std::string::npos) << *row;
        EXPECT_GE(row->size() - ellipsis, 10u) << *row;
        EXPECT_TRUE(log.ends_with(row->substr(ellipsis + 3))) << *row << " | " << log;
    }
}

struct MidUploadCase {
    const char* name;
    bool hangUp;          // the terminal goes away; else Ctrl-C is typed on it
    bool twice;           // Ctrl-C again, once the devices' processes have taken the first
    int exitStatus;
    std::string result;   // of the devices caught in their upload
    std::string entryStart;  // of their reasons; empty: none
    std::string notStarted;  // the reason of the device that waited
    bool imagesWhole;        // whether the devices hold the image byte for byte
};

TEST_F(FleetTest, LostTerminalOrCtrlCMidUploadLetsTheUploadsFinishAndStartsNoFurtherDevice)
{
    const MidUploadCase cases[] = {
        {"the terminal goes away", true, false, 129, "completed", "", "not started: the terminal went away (SIGHUP)",
         true},
        {"Ctrl-C", false, false, 130, "interrupted",
         "Run interrupted by SIGINT after the upload of fw512000.bin completed",
         "not started: the run was stopped by SIGINT", true},
        {"Ctrl-C twice", false, true, 130, "interrupted",
         "Run interrupted by SIGINT at \"Upgrading Firmware...  This will take about a minute...\". The device may "
         "hold a partial firmware image.",
         "not started: the run was stopped by SIGINT", false},
    };
    for (const MidUploadCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_simulators.clear();
        std::filesystem::remove_all(m_dir / "sim-0");
        for (const char* host : {"127.0.0.1", "127.0.0.2", "127.0.0.3"})
            std::filesystem::remove(m_dir / "temp" / ("ndxulog-" + std::string(host) + ".txt"));
        // Uploads of 10 s, longer than the 5 s a stopped device's process
        // gets before it is killed; the third device waits.
        Simulate(3, "127.0.0.1", {"--throttle", "30000"});
        const std::filesystem::path out = m_dir / "out.jsonl";
        std::filesystem::remove(out);
        // The fleet on a terminal of its own, as from an SSH session, its
        // JSON lines going to a file.
        std::vector<std::string> command =
            Command({"--json", "--inventory", WriteInventory().string(), "--jobs", "2"});
        command.insert(command.begin(), {"/bin/bash", "-c", "exec \"$@\" >'" + out.string() + "'", "bash"});
        TerminalSession fleet(command, Environment(), m_dir.path().string());

        const std::vector<std::string> uploading = {"127.0.0.1", "127.0.0.2"};
        const auto allUploading = [&] {
            const std::string lines = std::filesystem::exists(out) ? ReadFileText(out) : "";
            return std::all_of(uploading.begin(), uploading.end(), [&](const std::string& host) {
                return lines.find(R"("device":")" + host +
                                  R"(","event":"progress","file":"fw512000.bin","direction":"upload")") !=
                       std::string::npos;
            });
        };
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (!allUploading() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(50ms);
        ASSERT_TRUE(allUploading()) << ReadFileText(out);
        std::vector<pid_t> devices;
        for (const std::string& host : uploading) devices.push_back(DeviceProcess(fleet.Pid(), host));

        if (c.hangUp) {
            // The terminal goes, and its hang-up reaches the whole process
            // group, as a shell passes it on to its job.
            fleet.HangUp();
            ::kill(-fleet.Pid(), SIGHUP);
        } else {
            fleet.Type("\x03");
        }
        if (c.twice) {
            // A second signal before a process has taken the first would be one with it.
            const auto tookIt = [&] {
                return std::all_of(uploading.begin(), uploading.end(), [&](const std::string& host) {
                    return DeviceLog(host).find("SIGINT received during the upload of fw512000.bin") !=
                           std::string::npos;
                });
            };
            const auto limit = std::chrono::steady_clock::now() + 20s;
            while (!tookIt() && std::chrono::steady_clock::now() < limit) std::this_thread::sleep_for(20ms);
            ASSERT_TRUE(tookIt());
            ASSERT_TRUE(fleet.WaitFor("a second SIGINT or SIGTERM stops every device at once")) << fleet.Screen();
            fleet.Type("\x03");
        }
        EXPECT_EQ(fleet.Wait(60s), c.exitStatus) << fleet.Screen();

        std::map<std::string, nlohmann::json> results;
        nlohmann::json summary;
        for (const std::string& line : Lines(ReadFileText(out))) {
            const nlohmann::json event = nlohmann::json::parse(line);
            if (event.at("event") == "result") results[event.at("device")] = event;
            if (event.at("event") == "summary") summary = event;
        }
        ASSERT_EQ(results.size(), 3u) << ReadFileText(out);
        for (const std::string& host : uploading) {
            const nlohmann::json& result = results[host];
            EXPECT_EQ(result.at("result"), c.result) << result.dump();
            // The device's process saw the signal only as the fleet passed it on.
            EXPECT_EQ(result.at("exit"), c.hangUp ? 0 : c.exitStatus) << result.dump();
            if (!c.entryStart.empty()) {
                EXPECT_TRUE(result.at("reason").get<std::string>().starts_with(c.entryStart)) << result.dump();
            }
        }
        EXPECT_EQ(results["127.0.0.3"].at("result"), "not_started");
        EXPECT_EQ(results["127.0.0.3"].at("reason"), c.notStarted);
        EXPECT_EQ(AllDevices()[2].RecordCount(), 0u);
        ASSERT_TRUE(summary.is_object()) << ReadFileText(out);
        EXPECT_EQ(summary.at("exit"), c.exitStatus);
        const std::string image = ReadFileText(m_dir / "package" / "fw512000.bin");
        for (int i = 0; i < 2; ++i) {
            const std::filesystem::path stored =
                m_dir / "sim-0" / "ftp" / ("device-" + std::to_string(i)) / "fw512000.bin";
            const std::string held = std::filesystem::exists(stored) ? ReadFileText(stored) : "";
            EXPECT_EQ(held == image, c.imagesWhole) << i << ": " << held.size() << " bytes";
        }
        // The devices' processes ended with their runs; none is left behind.
        for (pid_t device : devices) EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(device))) << device;
    }
}

}  // namespace
