// SPDX-License-Identifier: MIT
// The console front-end as a user runs it: options, the password's two
// sources, exit statuses, and where statuses and message boxes go.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "res/program_version.h"
#include "tests/cli/cli_fixture.h"
#include "tests/support/minisign.h"
#include "tests/support/wizard_fixture.h"
#include "upgrade/next_step.h"

namespace {

TEST_F(CliTest, HelpNamesTheOptionsAndTheExitStatuses)
{
    ProcessResult result = Run({"--help"});
    EXPECT_EQ(result.exitStatus, 0);
    for (const char* text : {"--address", "--package", "--http-port", "--ftp-port", "--password-stdin",
                             "NDXU_PASSWORD", "Exit status:",
                             "  3    the address, password or package (its checksum or signature) was refused",
                             "--check", "--confirm", "--expect-version", "--require-checksum", "--use-alternates",
                             "  11   the upload completed but", "--trusted-key", "--require-signature", "--force",
                             "--allow-downgrade", "  13   the device runs a newer version", "--require-backup",
                             "  14   another run holds the device",
                             "A password holding a line break (CR or LF) is refused (status 2)",
                             "with several devices, each has its log ndxulog-DEVICE.txt, and --log-name is refused",
                             "  129  the terminal went away (SIGHUP)", "the first lets the upload finish",
                             "--retries", "1 s doubled k-1 times, at most 30 s",
                             "between half that and all of it", "stay within --device-timeout",
                             "(status 7, 9, 10, 11)", "--metrics-file FILE", "in the Prometheus text format",
                             "--resume", "--restore-profile FILE|latest", "--history"})
        EXPECT_NE(result.out.find(text), std::string::npos) << text;
    // The fleet's own option for each device's process is no user's.
    EXPECT_EQ(result.out.find("--attempt"), std::string::npos);
}

TEST_F(CliTest, VersionNamesTheBuild)
{
    ProcessResult result = Run({"--version"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "ndxu-upgrade " NDXU_VERSION_TEXT "\n");
}

TEST_F(CliTest, BadUsageHasItsOwnStatus)
{
    EXPECT_EQ(Run({"--no-such-option"}).exitStatus, 2);
    EXPECT_EQ(Run({"--http-port", "70000"}).exitStatus, 2);
    EXPECT_EQ(Run({"--package", (m_dir / "missing").string()}).exitStatus, 2);
    EXPECT_EQ(Run({"--password", "secret"}).exitStatus, 2);
    for (const char* logName : {"", ".", "..", "logs/ndxulog.txt", "..\\ndxulog.txt"})
        EXPECT_EQ(Run({"--log-name", logName}).exitStatus, 2) << logName;
    // Each device of a fleet has a log of its own.
    const ProcessResult fleetLog =
        Run({"--address", "127.0.0.1", "--address", "127.0.0.2", "--http-port", "1", "--log-name", "mine.txt"});
    EXPECT_EQ(fleetLog.exitStatus, 2);
    EXPECT_NE(fleetLog.err.find("ndxu-upgrade: --log-name names the log of one device's run; with several devices, "
                                "each device has a log of its own (ndxulog-DEVICE.txt)\n"),
              std::string::npos)
        << fleetLog.err;
    // Retries are a fleet's; a single run is refused before anything starts.
    for (const char* retries : {"0", "2"}) {
        const ProcessResult single = Run({"--address", "127.0.0.1", "--http-port", "1", "--retries", retries});
        EXPECT_EQ(single.exitStatus, 2) << retries;
        EXPECT_EQ(single.err, "ndxu-upgrade: --retries tries the devices of a fleet again; a run of one device is "
                              "tried again by running it again\n");
    }
    EXPECT_EQ(Run({"--address", "127.0.0.1", "--address", "127.0.0.2", "--retries", "101"}).exitStatus, 2);
    EXPECT_TRUE(std::filesystem::is_empty(m_dir / "temp"));
}

TEST_F(CliTest, APasswordHoldingALineBreakIsRefusedBeforeAnythingIsSent)
{
    struct Case {
        std::string password;  // NDXU_PASSWORD, else standard input's line
        bool fromStdin;
    };
    const Case cases[] = {{"open\nsesame", false}, {"open\rsesame", false}, {"open sesame\n", false},
                          {"open\rsesame\n", true}};
    DevSim sim({"--password", "open sesame"});
    for (const Case& c : cases) {
        for (const bool fleet : {false, true}) {
            std::vector<std::string> args = DeviceArgs(sim);
            if (fleet) args.insert(args.end(), {"--address", "127.0.0.2"});
            if (c.fromStdin) args.push_back("--password-stdin");
            const ProcessResult result = Run(args, {{"NDXU_PASSWORD", c.fromStdin ? "" : c.password}},
                                             c.fromStdin ? c.password : std::string());
            EXPECT_EQ(result.exitStatus, 2) << (fleet ? "fleet " : "one device ") << c.fromStdin;
            EXPECT_EQ(result.err, "ndxu-upgrade: the password holds a line break (CR or LF); a device password "
                                  "cannot hold one\n");
            EXPECT_EQ(result.out, "");
        }
    }
    EXPECT_TRUE(sim.HttpRequests().empty());
    EXPECT_TRUE(std::filesystem::is_empty(m_dir / "temp"));
}

TEST_F(CliTest, ATrustedKeyAndAMetricsFileGivenByRelativePathsAreInTheCurrentDirectory)
{
    // The run reads its package from within the package directory; the key
    // is where the user named it, and it makes the unsigned package refused.
    WriteFileText(m_dir / "keys" / "packager.pub", ReadFileText(TestPublicKey("packager")));
    std::filesystem::permissions(m_dir / "keys" / "packager.pub",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const ProcessResult result =
        RunProcess({NDXU_UPGRADE_EXE, "--check", "--address", "127.0.0.1", "--http-port", "1", "--package", "package",
                    "--trusted-key", "keys/packager.pub", "--metrics-file", "ndxu.prom"},
                   Environment({}), {}, m_dir.path().string());
    EXPECT_NE(result.out.find("Package Signature Not Valid: the package is not signed, and packages must be signed "
                              "by one of the 1 trusted keys\n"),
              std::string::npos)
        << result.out << result.err;
    EXPECT_NE(ReadFileText(m_dir / "ndxu.prom")
                  .find("ndxu_upgrade_last_result{device=\"127.0.0.1\",result=\"device_not_reached\"} 1\n"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "package" / "ndxu.prom"));
}

TEST_F(CliTest, AMetricsFileThatCannotBeWrittenIsSaidAndLeavesTheExitStatusAlone)
{
    const std::string path = (m_dir / "missing" / "ndxu.prom").string();
    const struct {
        std::vector<std::string> addresses;
        int exitStatus;
    } cases[] = {{{"127.0.0.1"}, 4}, {{"127.0.0.1", "127.0.0.2"}, 12}};
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--http-port", "1", "--metrics-file", path};
        for (const std::string& address : c.addresses) args.insert(args.end(), {"--address", address});
        const ProcessResult result = Run(args);
        EXPECT_EQ(result.exitStatus, c.exitStatus) << result.err;
        EXPECT_NE(result.err.find("ndxu-upgrade: the metrics file " + path +
                                  " cannot be written: No such file or directory\n"),
                  std::string::npos)
            << result.err;
    }
    EXPECT_EQ(Run({"--history", "--metrics-file", path}).exitStatus, 2);
}

TEST_F(CliTest, EmptyAddressIsRefusedOnStandardError)
{
    ProcessResult result = Run({"--address", ""});
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_EQ(result.err, "[ndxu-upgrade] " + kNoAddressMessage + "\n");
    EXPECT_EQ(result.out, "");
    EXPECT_NE(Log().find("******Server Specified: \n"), std::string::npos);
}

TEST_F(CliTest, DefaultAddressRunIsLoggedAndAnnounced)
{
    // The default host name is never looked up: the request goes to a proxy
    // on a loopback port where nothing listens.
    ProcessResult result = Run({}, {{"http_proxy", "http://127.0.0.1:1"}});
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_TRUE(result.out.starts_with("Attempting to connect to LAN Modem\n"));
    EXPECT_TRUE(result.out.ends_with("Cannot find Halvex LAN Modem named \"lanmodem\"\n"));
    std::string log = Log();
    EXPECT_NE(log.find("******\n\n\n\nNDXU Upgrade Started - " + kNoAddressMessage + "\n"), std::string::npos);
    EXPECT_NE(log.find("******Continue Button Pushed\n"), std::string::npos);
    EXPECT_NE(log.find("******Server Specified: lanmodem\n"), std::string::npos);
}

TEST_F(CliTest, PasswordComesFromTheEnvironment)
{
    DevSim sim({"--password", "open sesame", "--ftp", "off"});
    ProcessResult result = Run(DeviceArgs(sim), {{"NDXU_PASSWORD", "open sesame"}});
    EXPECT_NE(result.out.find("Password Recognized\n"), std::string::npos) << result.out << result.err;
    EXPECT_EQ(Log().find("open sesame"), std::string::npos);
}

TEST_F(CliTest, PasswordComesFromOneLineOfStandardInput)
{
    DevSim sim({"--password", "open sesame", "--ftp", "off"});
    std::vector<std::string> args = DeviceArgs(sim);
    args.push_back("--password-stdin");
    ProcessResult result = Run(args, {{"NDXU_PASSWORD", "ignored"}}, "open sesame\r\nsecond line\n");
    EXPECT_NE(result.out.find("Password Recognized\n"), std::string::npos) << result.out << result.err;
}

TEST_F(CliTest, RefusedPasswordFailsBeforeTheTransfer)
{
    DevSim sim({"--password", "open sesame"});
    ProcessResult result = Run(DeviceArgs(sim), {{"NDXU_PASSWORD", "guess"}});
    EXPECT_EQ(result.exitStatus, 5);
    EXPECT_TRUE(result.out.ends_with("Incorrect Password entered\n"));
    EXPECT_NE(result.err.find("[ndxu-upgrade] You have entered an incorrect password."), std::string::npos);
}

TEST_F(CliTest, FtpFailureFailsInTheTransfer)
{
    // A password that occurs in the program's own texts and the system's
    // messages ("Session", "established") leaves them whole: only what the
    // device sends back is masked.
    for (const char* password : {"", "es"}) {
        DevSim sim({"--ftp", "off", "--password", password});
        ProcessResult result = Run(DeviceArgs(sim), {{"NDXU_PASSWORD", password}});
        EXPECT_EQ(result.exitStatus, 9) << password;
        EXPECT_TRUE(result.out.ends_with("Opening FTP Session...\n")) << result.out;
        EXPECT_TRUE(result.err.starts_with("[ndxu-upgrade] A connection with the server could not be established\n"
                                           "  reason: 127.0.0.1 port "))
            << result.err;
        EXPECT_TRUE(result.err.ends_with(": Connection refused\n  next: " + DownloadModeStep().Text() + "\n"))
            << result.err;
        const std::string log = Log();
        EXPECT_NE(log.find("******FTP connection failed: A connection with the server could not be established\n"),
                  std::string::npos)
            << log;
        std::filesystem::remove(m_dir / "temp" / "ndxulog.txt");
    }
}

TEST_F(CliTest, UnopenableLogEndsWithoutARun)
{
    struct Case {
        std::string temp;
        std::string reason;
    };
    // A TEMP longer than the program's 255-byte buffer is no TEMP at all:
    // the log never goes to the root of the file system in its place.
    const std::string longTemp = (m_dir / std::string(300 - m_dir.path().string().size() - 1, 't')).string();
    const Case cases[] = {
        {(m_dir / "missing").string(), (m_dir / "missing" / "ndxulog.txt").string() + ": No such file or directory"},
        {longTemp, "no temporary directory is known (set TEMP, TMPDIR or HOME)"},
    };
    const bool rootLogBefore = std::filesystem::exists("/ndxulog.txt");
    for (const Case& c : cases) {
        ProcessResult result = Run({}, {{"TEMP", c.temp}});
        EXPECT_EQ(result.exitStatus, 8);
        EXPECT_EQ(result.err, "[ndxu-upgrade] Cannot open logfile\n  reason: " + c.reason + "\n");
        EXPECT_EQ(result.out, "");

        result = Run({"--json"}, {{"TEMP", c.temp}});
        const std::string lastLine = result.out.substr(result.out.rfind('\n', result.out.size() - 2) + 1);
        const nlohmann::json line = nlohmann::json::parse(lastLine);
        EXPECT_EQ(line.at("result"), "log_not_opened");
        EXPECT_EQ(line.at("reason"), c.reason);
    }
    EXPECT_EQ(std::filesystem::exists("/ndxulog.txt"), rootLogBefore);
}

#ifndef _WIN32
// A full file system of the run's own is made with Linux's namespaces.
TEST_F(CliTest, ALogThatCannotBeWrittenIsSaidAndNeverNamedAsWritten)
{
    // TEMP is a full file system of the run's own: the log opens, and no
    // entry reaches it.
    const std::string fullTemp =
        "unshare -rm true 2>/dev/null || exit 77\n"
        "exec unshare -rm /bin/sh -c 'mount -t tmpfs -o size=16k,mode=700 tmpfs \"$TEMP\" || exit 99\n"
        "head -c 65536 /dev/zero > \"$TEMP/fill\" 2>/dev/null\n"
        "exec \"$@\"' sh \"$@\"";
    const std::string problem = "an entry could not be written: No space left on device";
    struct Case {
        std::vector<std::string> args;
        std::size_t devices;
        std::size_t results;  // result lines
    };
    const Case cases[] = {{{"--address", "127.0.0.1", "--json"}, 1, 1},
                          {{"--address", "127.0.0.1"}, 1, 0},
                          {{"--address", "127.0.0.1", "--address", "127.0.0.2", "--json"}, 2, 2},
                          {{"--address", "127.0.0.1", "--address", "127.0.0.2"}, 2, 0}};
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--http-port", "1"});
        const ProcessResult result = RunInShell(fullTemp, args);
        if (result.exitStatus == 77) GTEST_SKIP() << "user namespaces are not available to mount a full TEMP";
        ASSERT_NE(result.exitStatus, 99) << result.err;
        EXPECT_EQ(result.exitStatus, c.devices == 1 ? 4 : 12) << result.err;
        std::size_t results = 0;
        for (std::size_t start = 0, end; c.results && (end = result.out.find('\n', start)) != std::string::npos;
             start = end + 1) {
            const nlohmann::json line = nlohmann::json::parse(result.out.substr(start, end - start));
            if (line.at("event") != "result") continue;
            ++results;
            EXPECT_EQ(line.at("result"), "device_not_reached");
            EXPECT_TRUE(line.at("log").is_null()) << line;
            EXPECT_EQ(line.at("log_error"), problem);
        }
        EXPECT_EQ(results, c.results) << result.out;
        EXPECT_NE(result.err.find("the run log is incomplete: " + problem), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find("ndxulog"), std::string::npos) << result.err;
        EXPECT_EQ(result.out.find("ndxulog"), std::string::npos) << result.out;
    }
}
#endif

TEST_F(CliTest, BadSettingIsBadUsageNamingTheVariable)
{
    DevSim sim;
    for (const char* name : {"NDXU_RECEIVE_TIMEOUT", "NDXU_CONNECT_TIMEOUT"}) {
        for (const char* value : {"abc", "0", "90000", "5s"}) {
            ProcessResult result = Run(DeviceArgs(sim), {{name, value}});
            EXPECT_EQ(result.exitStatus, 2) << name << "=" << value;
            EXPECT_NE(result.err.find(name), std::string::npos) << result.err;
            EXPECT_EQ(result.out, "");
        }
    }
    EXPECT_TRUE(sim.HttpRequests().empty());
    EXPECT_FALSE(std::filesystem::exists(m_dir / "temp" / "ndxulog.txt"));
}

struct AlternatesCase {
    std::vector<std::string> files;  // planted in the staging directory
    std::vector<std::string> confirmations;
};

TEST_F(CliTest, AlternatesAreUploadedOnlyWhenAskedFor)
{
    const std::filesystem::path staging = DriveC() / "varn" / "ndxu511";
    const AlternatesCase cases[] = {
        {{"prod.bin"}, {"Alternate Prod.bin found.  Click OK to upload."}},
        {{"prof.bin", "boot.bin"},
         {"Alternate Prof.bin found.  Click OK to upload.", "Alternate Boot.bin found.  Click OK to upload."}},
    };
    for (const AlternatesCase& c : cases) {
        std::filesystem::remove_all(staging);
        for (const std::string& name : c.files) WriteFileText(staging / name, "alternate " + name);

        DevSim refusing;
        ProcessResult refused = Run(DeviceArgs(refusing));
        EXPECT_EQ(refused.exitStatus, 2) << c.files[0];
        for (const std::string& name : c.files)
            EXPECT_NE(refused.err.find("C:\\varn\\ndxu511\\" + name + " ("), std::string::npos) << refused.err;
        EXPECT_NE(refused.err.find("--use-alternates"), std::string::npos);
        EXPECT_TRUE(refusing.HttpRequests().empty());

        DevSim taking;
        std::vector<std::string> args = DeviceArgs(taking);
        args.push_back("--use-alternates");
        ProcessResult taken = Run(args);
        EXPECT_EQ(taken.exitStatus, 0) << taken.out << taken.err;
        for (const std::string& confirmation : c.confirmations)
            EXPECT_NE(taken.err.find("[ndxu-upgrade] " + confirmation + "\n"), std::string::npos) << taken.err;
        for (const std::string& name : c.files) {
            const std::string remote = name == "prod.bin" ? "fw512000.bin" : name;
            EXPECT_EQ(ReadFileText(taking.FtpRoot() / remote), "alternate " + name);
        }
    }
}

}  // namespace
