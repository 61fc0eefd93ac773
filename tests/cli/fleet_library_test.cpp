// SPDX-License-Identifier: MIT
// The parts of a fleet run that need no process: the inventory's lines, the
// result line every device's run ends with, the phase lines a display
// follows, and the summary table.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "cli/fleet/aliases.h"
#include "cli/fleet/fitted_text.h"
#include "cli/fleet/fleet_child.h"
#include "cli/fleet/fleet_display.h"
#include "cli/fleet/fleet_results.h"
#include "cli/fleet/fleet_summary.h"
#include "cli/fleet/inventory.h"
#include "cli/fleet/retry_rule.h"
#include "cli/result_line.h"
#include "tests/support/temp_dir.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr DevicePorts kDefaults{80, 21};

TEST(FleetInventory, LinesGiveDevicesWithPortsAndNames)
{
    struct Device {
        std::string address;
        int http;
        int ftp;
        std::string name;
    };
    const struct {
        std::string text;
        std::vector<Device> devices;
    } cases[] = {
        {"10.0.0.1\n", {{"10.0.0.1", 80, 21, "10.0.0.1"}}},
        {"# lab\n\n  10.0.0.1\thttp=8080   ftp=2121 # the first\n10.0.0.2 ftp=2100",
         {{"10.0.0.1", 8080, 2121, "10.0.0.1"}, {"10.0.0.2", 80, 2100, "10.0.0.2"}}},
        {"10.0.0.1 http=8081\n10.0.0.1 http=8082\n",
         {{"10.0.0.1", 8081, 21, "10.0.0.1:8081"}, {"10.0.0.1", 8082, 21, "10.0.0.1:8082"}}},
        {"10.0.0.1 ftp=2121\n10.0.0.1 ftp=2122\n10.0.0.2\n",
         {{"10.0.0.1", 80, 2121, "10.0.0.1:80:2121"},
          {"10.0.0.1", 80, 2122, "10.0.0.1:80:2122"},
          {"10.0.0.2", 80, 21, "10.0.0.2"}}},
        // A byte order mark and CRLF line ends, as some editors write them.
        {"\xEF\xBB\xBFmodem-1.lab.example\r\n127.1 http=8081\r\n",
         {{"modem-1.lab.example", 80, 21, "modem-1.lab.example"}, {"127.1", 8081, 21, "127.1"}}},
        // One address in two spellings: ports name them.
        {"[::1] http=8081\n::1 http=8082\nModem. http=8081\nmodem http=8082\n",
         {{"[::1]", 8081, 21, "[::1]:8081"},
          {"::1", 8082, 21, "[::1]:8082"},
          {"Modem.", 8081, 21, "Modem.:8081"},
          {"modem", 8082, 21, "modem:8082"}}},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.text);
        const std::vector<FleetDevice> devices = ParseInventory(in, "hosts.txt", kDefaults);
        ASSERT_EQ(devices.size(), c.devices.size()) << c.text;
        for (std::size_t i = 0; i < devices.size(); ++i) {
            EXPECT_EQ(devices[i].address, c.devices[i].address) << c.text;
            EXPECT_EQ(devices[i].ports.http, c.devices[i].http) << c.text;
            EXPECT_EQ(devices[i].ports.ftp, c.devices[i].ftp) << c.text;
            EXPECT_EQ(devices[i].name, c.devices[i].name) << c.text;
        }
    }
}

TEST(FleetInventory, FaultyLinesAreRefusedSayingWhere)
{
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"10.0.0.1\n10.0.0.2 port=80\n", "hosts.txt:2: unknown field 'port=80'"},
        {"10.0.0.1 http\n", "hosts.txt:1: unknown field 'http'"},
        {"10.0.0.1 http=0\n", "hosts.txt:1: bad port 'http=0': a port is a number from 1 to 65535"},
        {"10.0.0.1 ftp=21x\n", "hosts.txt:1: bad port 'ftp=21x': a port is a number from 1 to 65535"},
        {"10.0.0.1 http=1 http=2\n", "hosts.txt:1: http= given twice"},
        {"10.0.0.1\n# again\n10.0.0.1 http=80 ftp=21\n",
         "hosts.txt:3: device 10.0.0.1 (web port 80, FTP port 21) is listed twice (first hosts.txt:1)"},
        // One device under other spellings of its address.
        {"LOCALHOST\nlocalhost.\n",
         "hosts.txt:2: device localhost. (web port 80, FTP port 21) is listed twice (first hosts.txt:1 as LOCALHOST)"},
        {"[::1]\n::1\n", "hosts.txt:2: device ::1 (web port 80, FTP port 21) is listed twice (first hosts.txt:1 as [::1])"},
        {"127.0.0.1 http=8080\n127.1 http=8080\n",
         "hosts.txt:2: device 127.1 (web port 8080, FTP port 21) is listed twice (first hosts.txt:1 as 127.0.0.1)"},
        {"::ffff:127.0.0.1\n0x7f.0.0.1\n",
         "hosts.txt:2: device 0x7f.0.0.1 (web port 80, FTP port 21) is listed twice (first hosts.txt:1 as "
         "::ffff:127.0.0.1)"},
        // Lines that are not what they seem.
        {std::string("127.0.0.1\n127.0.0.2\0.spare\n", 27), "hosts.txt:2: the line holds a NUL byte at column 10"},
        {"10.0.0.1 \x1b[2J\n", "hosts.txt:1: the line holds the control character U+001B at column 10"},
        {"10.0.0.1 # \xC2\x85\n", "hosts.txt:1: the line holds the control character U+0085 at column 12"},
        // A byte order mark is no blank after the first line.
        {"10.0.0.1\n\xEF\xBB\xBF" "10.0.0.2\n", "hosts.txt:2: the address '\xEF\xBB\xBF" "10.0.0.2' is no host name: it "
                                               "has a character a host name cannot hold (letters, digits, '-' and '.' "
                                               "only)"},
        {"caf\xE9\n", "hosts.txt:1: the line is not valid UTF-8: byte 0xE9 at column 4"},
        {"10.0.0.1 # \xED\xA0\x80\n", "hosts.txt:1: the line is not valid UTF-8: byte 0xED at column 12"},
        {"--check\n", "hosts.txt:1: the address '--check' begins with '-': an address is expected, not an option"},
        {"../../x\n", "hosts.txt:1: the address '../../x' is no host name: it has a character a host name cannot "
                      "hold (letters, digits, '-' and '.' only)"},
        {"modem;reboot\n", "hosts.txt:1: the address 'modem;reboot' is no host name: it has a character a host name "
                           "cannot hold (letters, digits, '-' and '.' only)"},
        {"a..b\n", "hosts.txt:1: the address 'a..b' is no host name: it has an empty label"},
        {"-x.example\n", "hosts.txt:1: the address '-x.example' begins with '-': an address is expected, not an option"},
        {"x-.example\n", "hosts.txt:1: the address 'x-.example' is no host name: it has a label that begins or ends "
                         "with '-'"},
        {"127.0.0.256\n", "hosts.txt:1: the address '127.0.0.256' is no IP address"},
        {"[127.0.0.1]\n", "hosts.txt:1: the address '[127.0.0.1]' is an IPv4 address in brackets"},
        {"fe80::1%eth0\n", "hosts.txt:1: the address 'fe80::1%eth0' is no IP address"},
        {"127.0.0.2:8081\n", "hosts.txt:1: the address '127.0.0.2:8081' is no IP address"},
        {std::string(300, 'a') + "\n",
         "hosts.txt:1: the address '" + std::string(24, 'a') + "...' is 300 bytes long; an address has at most 80"},
        {"# none\n\n", "hosts.txt: no device in the inventory"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.text);
        try {
            ParseInventory(in, "hosts.txt", kDefaults);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const InventoryError& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
}

// Refuses each of `cases` (a path, and the message that refuses it).
void ExpectRefused(const std::vector<std::pair<std::string, std::string>>& cases)
{
    for (const auto& [path, message] : cases) {
        try {
            ReadInventory(path, kDefaults);
            ADD_FAILURE() << "read: " << path;
        } catch (const InventoryError& e) {
            EXPECT_EQ(e.what(), message);
        }
    }
}

TEST(FleetInventory, OnlyAFileOfAtMost16MiBIsRead)
{
    const TempDir dir;
    const std::string large = (dir / "large.txt").string();
    std::ofstream(large) << std::string(kMaxInventoryBytes - 8, '#') << "\n" << std::string(1 << 20, '#');
    const std::string none = (dir / "none").string();
    ExpectRefused({
        {dir.path().string(), dir.path().string() + ": cannot read the inventory: it is a directory"},
        {large, large + ": cannot read the inventory: it is larger than 16777216 bytes"},
        {none, none + ": cannot read the inventory: No such file or directory"},
    });
}

#ifndef _WIN32
TEST(FleetInventory, ADeviceIsRefusedAndAFifoIsReadWhenItIsWritten)
{
    const TempDir dir;
    const std::string fifo = (dir / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ExpectRefused({
        {"/dev/zero", "/dev/zero: cannot read the inventory: it is a device, not a file"},
        {fifo, fifo + ": cannot read the inventory: it is a FIFO that no program wrote to within 5 seconds"},
    });
    // A FIFO that a program writes to is read to its end.
    std::thread writer([&] { std::ofstream(fifo) << "10.0.0.1\n10.0.0.2 http=8080\n"; });
    const std::vector<FleetDevice> devices = ReadInventory(fifo, kDefaults);
    writer.join();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[1].address, "10.0.0.2");
    EXPECT_EQ(devices[1].ports.http, 8080);
}
#endif

TEST(FleetInventory, NamesThatReachOneDeviceAreRefused)
{
    // localhost is 127.0.0.1 in /etc/hosts: no name server is asked.
    try {
        RefuseAliases(DevicesFromAddresses({"localhost", "10.0.0.1", "127.0.0.1"}, kDefaults));
        ADD_FAILURE() << "aliases accepted";
    } catch (const InventoryError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "--address 127.0.0.1: 127.0.0.1 and localhost (--address localhost) reach one device: both are "
                  "127.0.0.1 on web port 80 and FTP port 21; list it once, or give --allow-aliases when they are "
                  "different devices");
    }
    std::istringstream ports("localhost http=8080\n127.0.0.1 http=8081\n");
    EXPECT_NO_THROW(RefuseAliases(ParseInventory(ports, "hosts.txt", kDefaults)));
}

TEST(RunResults, EveryResultHasANameThatReadsBackAsIt)
{
    for (int i = 0; i <= static_cast<int>(RunResult::NotStarted); ++i) {
        const auto result = static_cast<RunResult>(i);
        EXPECT_EQ(ResultNamed(ResultName(result)), result) << ResultName(result);
    }
    EXPECT_EQ(ResultNamed("Completed"), std::nullopt);
    EXPECT_EQ(ResultNamed(""), std::nullopt);
}

TEST(RunResults, EveryRunEndGivesItsNameAndExitStatus)
{
    const struct {
        RunEnd end;
        const char* name;
        int exitStatus;
    } cases[] = {
        {RunEnd::Completed, "completed", 0},
        {RunEnd::Checked, "checked", 0},
        {RunEnd::UpToDate, "up_to_date", 0},
        {RunEnd::InputRefused, "input_refused", 3},
        {RunEnd::PackageRefused, "package_refused", 3},
        {RunEnd::DeviceNotReached, "device_not_reached", 4},
        {RunEnd::PasswordRefused, "password_refused", 5},
        {RunEnd::WrongDevice, "wrong_device", 6},
        {RunEnd::DownloadModeRefused, "download_mode_refused", 7},
        {RunEnd::None, "log_not_opened", 8},
        {RunEnd::UploadNotStarted, "upload_not_started", 9},
        {RunEnd::UploadFailed, "upload_failed", 10},
        {RunEnd::NotConfirmed, "not_confirmed", 11},
        {RunEnd::DowngradeRefused, "downgrade_refused", 13},
        {RunEnd::DeviceBusy, "device_busy", 14},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(ResultName(ResultOf(c.end)), c.name);
        EXPECT_EQ(ExitStatusOf(c.end), c.exitStatus) << c.name;
        EXPECT_EQ(Succeeded(ResultOf(c.end)), c.exitStatus == 0) << c.name;
    }
    // The fleet's own results: failures whose exit status is their process's.
    for (RunResult result : {RunResult::Interrupted, RunResult::Crashed, RunResult::TimedOut, RunResult::NotStarted}) {
        EXPECT_FALSE(Succeeded(result)) << ResultName(result);
        EXPECT_EQ(ExitStatusOf(result), std::nullopt) << ResultName(result);
    }
}

ResultFacts EveryFact()
{
    ResultFacts facts;
    facts.result = RunResult::Completed;
    facts.exitStatus = 0;
    facts.reason = "why";
    facts.deviceState = "partial_image";
    facts.nextStep = "Do not switch it off.";
    facts.versionBefore = "5.0.3";
    facts.versionAfter = "5.1.2";
    facts.backup = "/home/u/profiles/a.txt";
    facts.log = "/tmp/ndxulog.txt";
    facts.packageVersion = "5.1.2";
    facts.signedBy = "A1B2";
    facts.trustedComment = "release";
    facts.changed = true;
    facts.duration = 12.5;
    return facts;
}

TEST(ResultLine, FieldsComeInTheirOrderWithNullForWhatIsNotKnown)
{
    constexpr char kTime[] = "2026-12-08T15:30:00.123Z";
    EXPECT_EQ(ResultLineObject("10.0.0.1", EveryFact(), kTime).dump(),
              R"({"time":"2026-12-08T15:30:00.123Z","device":"10.0.0.1","event":"result","result":"completed",)"
              R"("exit":0,"reason":"why","device_state":"partial_image","next_step":"Do not switch it off.",)"
              R"("version_before":"5.0.3","version_after":"5.1.2",)"
              R"("backup":"/home/u/profiles/a.txt","log":"/tmp/ndxulog.txt","log_error":null,"package_version":"5.1.2",)"
              R"("signed_by":"A1B2","trusted_comment":"release","changed":true,"duration":12.5})");
    ResultFacts nothing;
    nothing.result = RunResult::NotStarted;
    EXPECT_EQ(ResultLineObject("lab:8081", nothing, kTime).dump(),
              R"({"time":"2026-12-08T15:30:00.123Z","device":"lab:8081","event":"result","result":"not_started",)"
              R"("exit":null,"reason":null,"device_state":null,"next_step":null,"version_before":null,)"
              R"("version_after":null,"backup":null,"log":null,)"
              R"("log_error":null,)"
              R"("package_version":null,"signed_by":null,"trusted_comment":null,"changed":null,"duration":0.0})");
}

TEST(ResultLine, WhatIsWrittenReadsBack)
{
    ResultFacts refused;
    refused.result = RunResult::PasswordRefused;
    refused.exitStatus = 5;
    refused.reason = "the password\nwas refused";
    refused.changed = false;
    ResultFacts unlogged;
    unlogged.result = RunResult::Completed;
    unlogged.logError = "an entry could not be written: No space left on device";
    for (const ResultFacts& facts : {EveryFact(), refused, unlogged, ResultFacts{}})
        EXPECT_EQ(ReadResultLine(ResultLineObject("d", facts, "t")), facts) << ResultName(facts.result);
}

TEST(ResultLine, OnlyAResultLineOfAKnownResultIsRead)
{
    const Json good = ResultLineObject("d", EveryFact(), "t");
    EXPECT_EQ(ReadResultLine(Json::parse(R"({"event":"status","text":"x","result":"completed"})")), std::nullopt);
    EXPECT_EQ(ReadResultLine(Json::parse(R"({"event":"result","result":"exploded"})")), std::nullopt);
    EXPECT_EQ(ReadResultLine(Json::parse(R"({"event":"result"})")), std::nullopt);
    EXPECT_EQ(ReadResultLine(Json::parse(R"([1, 2])")), std::nullopt);
    // A field of another type is a fact not known.
    Json odd = good;
    odd["exit"] = "0";
    odd["backup"] = 7;
    odd["changed"] = "yes";
    const std::optional<ResultFacts> read = ReadResultLine(odd);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->exitStatus, std::nullopt);
    EXPECT_EQ(read->backup, std::nullopt);
    EXPECT_EQ(read->changed, std::nullopt);
    EXPECT_EQ(read->versionBefore, "5.0.3");
}

TEST(ResultLine, ASingleRunsReportGivesItsFacts)
{
    RunReport report;
    report.end = RunEnd::DowngradeRefused;
    report.versionBefore = "5.10.0";
    report.log = "/tmp/ndxulog.txt";
    report.packageVersion = "5.1.2";
    const ResultFacts facts = FactsOfReport(report);
    EXPECT_EQ(facts.result, RunResult::DowngradeRefused);
    EXPECT_EQ(facts.exitStatus, 13);
    EXPECT_EQ(facts.versionBefore, "5.10.0");
    EXPECT_EQ(facts.log, "/tmp/ndxulog.txt");
    EXPECT_EQ(facts.packageVersion, "5.1.2");
    EXPECT_EQ(facts.versionAfter, std::nullopt);
    EXPECT_EQ(facts.backup, std::nullopt);
    EXPECT_EQ(facts.signedBy, std::nullopt);
    EXPECT_EQ(facts.trustedComment, std::nullopt);
    EXPECT_EQ(facts.reason, std::nullopt);
    EXPECT_EQ(facts.changed, false);
    EXPECT_EQ(facts.logError, std::nullopt);

    // A log that lost entries is not named as the run's log.
    report.logError = "an entry could not be written: No space left on device";
    const ResultFacts unlogged = FactsOfReport(report);
    EXPECT_EQ(unlogged.log, std::nullopt);
    EXPECT_EQ(unlogged.logError, report.logError);
}

TEST(FleetResults, TheSupervisorsResultKeepsWhatTheProcessReported)
{
    const FleetDevice device{"10.0.0.1", kDefaults, "10.0.0.1", ""};
    const ChildEnd exited{1, std::nullopt, ""};
    const ChildEnd killed{std::nullopt, 9, "SIGKILL"};

    DeviceEnding timedOut{EveryFact(), killed, Overruling::TimedOut, "stopped after 3 seconds", "", 3.25, {}};
    const ResultFacts late = ResultOfEnding(device, timedOut);
    EXPECT_EQ(late.result, RunResult::TimedOut);
    EXPECT_EQ(late.exitStatus, 137);
    EXPECT_EQ(late.reason, "stopped after 3 seconds");
    EXPECT_EQ(late.packageVersion, "5.1.2");
    EXPECT_EQ(late.log, "/tmp/ndxulog.txt");
    EXPECT_EQ(late.duration, 3.25);

    timedOut.overruling = Overruling::Interrupted;
    EXPECT_EQ(ResultOfEnding(device, timedOut), EveryFact()) << "a process stopped by the fleet reports it itself";

    ResultFacts unlogged = EveryFact();
    unlogged.log.reset();
    unlogged.logError = "an entry could not be written: No space left on device";
    timedOut.reported = unlogged;
    timedOut.overruling = Overruling::TimedOut;
    EXPECT_EQ(ResultOfEnding(device, timedOut).log, std::nullopt) << "a log that lost entries is not named";

    const ResultFacts crashed = ResultOfEnding(device, {std::nullopt, exited, Overruling::None, "", "boom | bang", 1, {}});
    EXPECT_EQ(crashed.result, RunResult::Crashed);
    EXPECT_EQ(crashed.exitStatus, 1);
    EXPECT_EQ(crashed.reason, "the device's process ended with status 1 without a result; its last words: boom | bang");
    EXPECT_EQ(crashed.log, DeviceLogPath(device));
    EXPECT_EQ(crashed.packageVersion, std::nullopt);

    // A process that dies mid-upload leaves what its phase lines told.
    DeviceEnding midUpload{std::nullopt, killed, Overruling::None, "", "", 2, {}};
    for (const char* line : {R"({"event":"phase","phase":"version_check"})",
                             R"({"event":"phase","phase":"download_mode","version":"5.0.3"})",
                             R"({"event":"phase","phase":"backup","version":"5.0.3","backup":"/h/a.txt"})",
                             R"({"event":"phase","phase":"upload","version":"5.0.3","file":"fw512000.bin"})"})
        TakePhaseLine(midUpload.told, Json::parse(line));
    EXPECT_EQ(midUpload.told, (ToldFacts{"5.0.3", "/h/a.txt", "fw512000.bin", "upload"}));
    const ResultFacts died = ResultOfEnding(device, midUpload);
    EXPECT_EQ(died.result, RunResult::Crashed);
    EXPECT_EQ(died.versionBefore, "5.0.3");
    EXPECT_EQ(died.backup, "/h/a.txt");
    EXPECT_EQ(died.reason, "the device's process was killed by SIGKILL without a result while uploading fw512000.bin");
    midUpload.overruling = Overruling::TimedOut;
    midUpload.overrulingReason = "stopped after 3 seconds";
    EXPECT_EQ(ResultOfEnding(device, midUpload).backup, "/h/a.txt");
    TakePhaseLine(midUpload.told, Json::parse(R"({"event":"phase","phase":"completed"})"));
    EXPECT_EQ(midUpload.told, (ToldFacts{"5.0.3", "/h/a.txt", std::nullopt, "completed"})) << "the upload is over";
}

TEST(FleetRetries, OnlyAnAttemptThatEndedBeforeTheDeviceWasChangedIsTriedAgain)
{
    const std::optional<std::string> none;
    const struct {
        RunResult result;
        std::optional<std::string> lastPhase;
        bool retried;
    } cases[] = {
        {RunResult::DeviceNotReached, "web_login", true},
        {RunResult::DeviceNotReached, "version_check", true},
        {RunResult::DeviceNotReached, none, true},
        {RunResult::TimedOut, none, true},
        {RunResult::TimedOut, "input_check", true},
        {RunResult::TimedOut, "package_check", true},
        {RunResult::TimedOut, "web_login", true},
        {RunResult::TimedOut, "version_check", true},
        // From the download-mode form on, the device may have changed.
        {RunResult::TimedOut, "download_mode", false},
        {RunResult::TimedOut, "ftp_session", false},
        {RunResult::TimedOut, "backup", false},
        {RunResult::TimedOut, "upload", false},
        {RunResult::TimedOut, "completed", false},
        {RunResult::TimedOut, "confirmation", false},
        {RunResult::DeviceNotReached, "download_mode", false},
        {RunResult::DownloadModeRefused, "download_mode", false},
        {RunResult::UploadNotStarted, "backup", false},
        {RunResult::UploadFailed, "upload", false},
        {RunResult::NotConfirmed, "confirmation", false},
        // Failures that another attempt would only repeat, and the user's stop.
        {RunResult::PasswordRefused, "web_login", false},
        {RunResult::WrongDevice, "version_check", false},
        {RunResult::PackageRefused, "package_check", false},
        {RunResult::InputRefused, "input_check", false},
        {RunResult::DowngradeRefused, "version_check", false},
        {RunResult::DeviceBusy, "package_check", false},
        {RunResult::Interrupted, "web_login", false},
        {RunResult::Crashed, "web_login", false},
        {RunResult::LogNotOpened, none, false},
        {RunResult::NotStarted, none, false},
        {RunResult::Completed, "completed", false},
        {RunResult::UpToDate, "version_check", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MayRetry(c.result, c.lastPhase), c.retried) << ResultName(c.result) << " " << c.lastPhase.value_or("-");
}

TEST(FleetRetries, TheWaitDoublesUpToItsCapWithFullJitter)
{
    using std::chrono::milliseconds;
    const struct {
        int failedAttempt;
        double unit;
        milliseconds wait;
    } cases[] = {
        {1, 0.0, milliseconds(500)},   {1, 1.0, milliseconds(1000)},  {1, 0.5, milliseconds(750)},
        {2, 0.0, milliseconds(1000)},  {2, 1.0, milliseconds(2000)},  {3, 1.0, milliseconds(4000)},
        {5, 1.0, milliseconds(16000)}, {6, 0.0, milliseconds(15000)}, {6, 1.0, milliseconds(30000)},
        {7, 1.0, milliseconds(30000)}, {60, 0.0, milliseconds(15000)}, {1000, 1.0, milliseconds(30000)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RetryWait(c.failedAttempt, c.unit), c.wait) << c.failedAttempt << " " << c.unit;
}

TEST(FleetRetries, AnAttemptTriedAgainHasALineOfItsOwn)
{
    ResultFacts failed;
    failed.result = RunResult::DeviceNotReached;
    failed.exitStatus = 4;
    failed.reason = "The LAN Modem at 10.0.0.1 was not found";
    EXPECT_EQ(AttemptLineObject("10.0.0.1", 2, failed, 1.5, "2026-12-09T12:00:00.000Z").dump(),
              R"({"time":"2026-12-09T12:00:00.000Z","device":"10.0.0.1","event":"attempt","attempt":2,)"
              R"("result":"device_not_reached","exit":4,"reason":"The LAN Modem at 10.0.0.1 was not found",)"
              R"("retry_in":1.5})");
    failed.result = RunResult::TimedOut;
    failed.exitStatus.reset();
    failed.reason.reset();
    EXPECT_EQ(AttemptLineObject("m", 1, failed, 0.5, "t").dump(),
              R"({"time":"t","device":"m","event":"attempt","attempt":1,"result":"timed_out","exit":null,)"
              R"("reason":null,"retry_in":0.5})");
}

TEST(FleetRetries, TheDisplaysSayThatADeviceWaitsToBeTriedAgain)
{
    DeviceRun run;
    run.device = {"10.0.0.1", kDefaults, "10.0.0.1", ""};
    DeviceRun other;
    other.device = {"10.0.0.22", kDefaults, "10.0.0.22", ""};
    ResultFacts failed;
    failed.result = RunResult::DeviceNotReached;
    failed.reason = "not\nfound";
    const auto waitAfter = [&](int attempt) {
        run.attempts = attempt;
        run.state = DeviceState::Retrying;
        run.status = "waiting to be tried again: attempt " + std::to_string(attempt + 1) + " in 1.5 s";
    };

    std::ostringstream lines;
    LineDisplay plain(lines, {run.device, other.device});
    run.attempts = 1;
    plain.Started(run);
    waitAfter(1);
    plain.Retrying(run, failed, "");
    run.attempts = 2;
    plain.Started(run);
    EXPECT_EQ(lines.str(), "10.0.0.1   started\n"
                           "10.0.0.1   attempt 1 device_not_reached: not found; waiting to be tried again: attempt 2 "
                           "in 1.5 s\n"
                           "10.0.0.1   started (attempt 2)\n");

    // On a terminal the device keeps its line in the block, which says it waits.
    std::ostringstream screen;
    LiveDisplay live(screen, TerminalSize{200, 10}, {run.device, other.device});
    run.attempts = 1;
    run.state = DeviceState::Running;
    live.Started(run);
    waitAfter(1);
    live.Retrying(run, failed, "");
    const std::string block = "0 running, 1 to be tried again, 1 waiting, 0 ended (0 failed) of 2 devices\n"
                              "10.0.0.1         waiting to be tried again: attempt 2 in 1.5 s\n";
    EXPECT_TRUE(screen.str().ends_with("10.0.0.1   attempt 1 device_not_reached: not found; waiting to be tried "
                                       "again: attempt 2 in 1.5 s\n" + block))
        << screen.str();
    run.attempts = 2;
    run.state = DeviceState::Running;
    run.status = "attempt 2";
    live.Started(run);
    live.Notice("note");
    EXPECT_TRUE(screen.str().ends_with("note\n1 running, 1 waiting, 0 ended (0 failed) of 2 devices\n"
                                       "10.0.0.1         attempt 2\n"))
        << screen.str();

    // On a narrow terminal every line leaves the last column free; a line
    // cut ends in "...", never within a UTF-8 character.
    std::ostringstream narrow;
    LiveDisplay cut(narrow, TerminalSize{32, 10}, {run.device, other.device});
    run.status = "Upgrading \xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";
    cut.Started(run);
    cut.Retrying(run, failed, "");
    cut.Notice("ndxu-upgrade: a notice of forty-odd characters");
    std::istringstream shown(narrow.str());
    std::size_t cutLines = 0;
    for (std::string line; std::getline(shown, line);) {
        const std::size_t erase = line.rfind("\x1b[J");
        if (erase != std::string::npos) line.erase(0, erase + 3);
        EXPECT_LE(ColumnsOf(line), 31u) << line;
        if (line.ends_with("...")) ++cutLines;
    }
    EXPECT_NE(narrow.str().find("10.0.0.1         Upgrading \xC3\xA9...\n"), std::string::npos) << narrow.str();
    EXPECT_NE(narrow.str().find("ndxu-upgrade: a notice of fo...\n"), std::string::npos) << narrow.str();
    EXPECT_GE(cutLines, 4u) << narrow.str();
}

TEST(FittedText, CutsEndInAnEllipsisAndPathsKeepTheirFileName)
{
    const struct {
        std::string text;
        std::size_t width;
        std::string cut;
        std::string path;
    } cases[] = {
        {"short", 10, "short", "short"},
        {"exactly10!", 10, "exactly10!", "exactly10!"},
        {"/home/u/.config/ndxu/history/profback-x.bin", 26, "/home/u/.config/ndxu/hi...", "/home/u/.../profback-x.bin"},
        {"/home/u/.config/ndxu/history/profback-x.bin", 20, "/home/u/.config/n...", "/.../profback-x.bin"},
        {"/home/u/.config/ndxu/history/profback-x.bin", 12, "/home/u/....", "...ack-x.bin"},
        {"C:\\Users\\u\\AppData\\profback-x.bin", 24, "C:\\Users\\u\\AppData\\pr...",
         "C:\\...\\profback-x.bin"},
        // Two-byte and three-byte characters take one column each and are
        // kept whole.
        {"caf\xC3\xA9 \xC3\xA9t\xC3\xA9 \xE2\x82\xAC\xE2\x82\xAC", 8, "caf\xC3\xA9 ...",
         "caf\xC3\xA9 ..."},
        {"/d/\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9/\xE2\x82\xAC.bin", 10, "/d/\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9...",
         "/.../\xE2\x82\xAC.bin"},
        {"abcdef", 3, "...", "..."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CutToWidth(c.text, c.width), c.cut) << c.text << " in " << c.width;
        EXPECT_EQ(ShortenPath(c.text, c.width), c.path) << c.text << " in " << c.width;
        EXPECT_LE(ColumnsOf(CutToWidth(c.text, c.width)), c.width) << c.text;
        EXPECT_LE(ColumnsOf(ShortenPath(c.text, c.width)), c.width) << c.text;
    }
}

DeviceRun Ended(const std::string& name, ResultFacts result)
{
    DeviceRun run;
    run.device = {name, kDefaults, name, ""};
    run.state = DeviceState::Ended;
    run.result = std::move(result);
    return run;
}

ResultFacts Facts(RunResult result, std::optional<std::string> before, std::optional<std::string> after,
                  std::optional<std::string> reason, double duration)
{
    ResultFacts facts;
    facts.result = result;
    facts.versionBefore = std::move(before);
    facts.versionAfter = std::move(after);
    facts.reason = std::move(reason);
    facts.duration = duration;
    return facts;
}

TEST(FleetSummary, TableRowsAFailuresReasonAndTheCounts)
{
    ResultFacts completed = Facts(RunResult::Completed, "5.0.3", "5.1.2", std::nullopt, 12.34);
    completed.backup = "/p/a.txt";
    completed.log = "/t/l1";
    ResultFacts upToDate = Facts(RunResult::UpToDate, "5.1.2", {}, {}, 0.5);
    upToDate.logError = "an entry could not be written: No space left on device";
    FleetOutcome outcome;
    outcome.runs = {Ended("10.0.0.1", completed),
                    Ended("10.0.0.22", Facts(RunResult::PasswordRefused, {}, {}, "refused\nthe password", 1.04)),
                    Ended("10.0.0.3", upToDate),
                    Ended("10.0.0.4", Facts(RunResult::NotStarted, {}, {}, "not started: stopped", 0)),
                    Ended("10.0.0.5", Facts(RunResult::DeviceNotReached, {}, {}, "not found", 0.2))};
    outcome.runs[0].attempts = 3;
    outcome.runs[4].attempts = 2;
    outcome.duration = 14;
    std::ostringstream table;
    WriteSummaryTable(table, outcome, false);
    EXPECT_EQ(table.str(),
              "DEVICE     RESULT              BEFORE  AFTER  TIME    BACKUP    LOG\n"
              "10.0.0.1   completed           5.0.3   5.1.2  12.3 s  /p/a.txt  /t/l1\n"
              "    after 3 attempts\n"
              "10.0.0.22  password_refused    -       -      1.0 s   -         -\n"
              "    refused\n"
              "    the password\n"
              "10.0.0.3   up_to_date          5.1.2   -      0.5 s   -         -\n"
              "    the run log is incomplete: an entry could not be written: No space left on device\n"
              "10.0.0.4   not_started         -       -      -       -         -\n"
              "    not started: stopped\n"
              "10.0.0.5   device_not_reached  -       -      0.2 s   -         -\n"
              "    after 2 attempts\n"
              "    not found\n"
              "5 devices: 1 completed, 1 up to date, 2 failed, 1 not started (14.0 s)\n");
    EXPECT_EQ(FleetExitStatus(outcome), kExitSomeDevicesFailed);
    outcome.stoppedBy = StopRequest::Terminate;
    EXPECT_EQ(FleetExitStatus(outcome), 143);

    // Fitted to a terminal, long paths lose their middle and keep their file
    // name, and every line fits; without a width everything stays whole.
    const std::string backup = "/home/u/.local/share/ndxu/varn/history/10.0.0.1/profback-20261209T181500Z.bin";
    const std::string log = "/tmp/ndxu-fleet-run-2026/10.0.0.1/ndxulog.txt";
    outcome.runs[0].result->backup = backup;
    outcome.runs[0].result->log = log;
    for (const int columns : {80, 120}) {
        std::ostringstream fitted;
        WriteSummaryTable(fitted, outcome, false, columns);
        std::istringstream lines(fitted.str());
        for (std::string line; std::getline(lines, line);)
            EXPECT_LE(ColumnsOf(line), static_cast<std::size_t>(columns)) << columns << ": " << line;
        EXPECT_EQ(fitted.str().find(backup), std::string::npos) << fitted.str();
        // At 120 columns the file name is whole, at 80 its end.
        EXPECT_NE(fitted.str().find(columns == 120 ? "/.../profback-20261209T181500Z.bin  /tmp/.../ndxulog.txt\n"
                                                   : "...1500Z.bin"),
                  std::string::npos)
            << fitted.str();
        EXPECT_NE(fitted.str().find("10.0.0.22  password_refused    -       -      1.0 s"), std::string::npos)
            << fitted.str();
        EXPECT_NE(fitted.str().find("    the run log is incomplete: an entry could not be written: No space left"),
                  std::string::npos) << fitted.str();
    }
    std::ostringstream whole;
    WriteSummaryTable(whole, outcome, false);
    EXPECT_NE(whole.str().find(backup + "  " + log + "\n"), std::string::npos) << whole.str();
}

TEST(FleetSummary, ACheckShowsTheVersionFound)
{
    FleetOutcome outcome;
    outcome.runs = {Ended("a", Facts(RunResult::Checked, "5.0.3", {}, {}, 0.24)),
                    Ended("b", Facts(RunResult::TimedOut, {}, {}, "stopped after 3 seconds", 3.01))};
    outcome.duration = 3.1;
    std::ostringstream table;
    WriteSummaryTable(table, outcome, true);
    EXPECT_EQ(table.str(),
              "DEVICE  RESULT     VERSION  TIME   LOG\n"
              "a       checked    5.0.3    0.2 s  -\n"
              "b       timed_out  -        3.0 s  -\n"
              "    stopped after 3 seconds\n"
              "2 devices: 1 checked, 1 failed, 0 not started (3.1 s)\n");
    EXPECT_EQ(FleetExitStatus(outcome), kExitSomeDevicesFailed);
    outcome.runs.pop_back();
    EXPECT_EQ(FleetExitStatus(outcome), 0);
}

}  // namespace
