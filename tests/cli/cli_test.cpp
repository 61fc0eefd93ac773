// SPDX-License-Identifier: MIT
// The console front-end as a user runs it: options, the password's two
// sources, exit statuses, and where statuses and message boxes go.
#include <gtest/gtest.h>

#include <csignal>

#include "tests/cli/terminal_session.h"
#include "tests/support/devsim.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wizard_fixture.h"

namespace {

const std::string kNoAddressMessage =
    "You must fill out the Address field of the LAN Modem.  If you do not know what to enter, use the default "
    "of \"\"lanmodem\"\"";

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_dir / "temp");
        WriteFileText(m_dir / "package" / "fw512000.bin", std::string(65536, '\x11'));
        WriteFileText(m_dir / "package" / "ndxuback.txt", "read me\n");
    }

    ProcessResult Run(std::vector<std::string> args, std::map<std::string, std::string> env = {},
                      const std::string& input = {})
    {
        args.insert(args.begin(), NDXU_UPGRADE_EXE);
        return RunCommand(std::move(args), std::move(env), input);
    }

    // Runs the program through a shell `script`, which gets it and its
    // arguments as "$@".
    ProcessResult RunInShell(const std::string& script, std::vector<std::string> args,
                             std::map<std::string, std::string> env = {})
    {
        args.insert(args.begin(), {"/bin/bash", "-c", script, "bash", NDXU_UPGRADE_EXE});
        return RunCommand(std::move(args), std::move(env), {});
    }

    ProcessResult RunCommand(std::vector<std::string> args, std::map<std::string, std::string> env,
                             const std::string& input)
    {
        return RunProcess(args, Environment(std::move(env)), input, PackageDirectory());
    }

    // The program's environment: `env` over the sandbox's settings.
    std::map<std::string, std::string> Environment(std::map<std::string, std::string> env)
    {
        env.emplace("TEMP", (m_dir / "temp").string());
        env.emplace("NDXU_DRIVE_C", (m_dir / "drive_c").string());
        env.emplace("NDXU_PASSWORD", "");
        env.emplace("NDXU_CONNECT_TIMEOUT", "5");
        env.emplace("NDXU_RECEIVE_TIMEOUT", "5");
        return env;
    }

    std::string PackageDirectory() const { return (m_dir / "package").string(); }

    std::vector<std::string> DeviceArgs(const DevSim& sim)
    {
        return {"--address", "127.0.0.1", "--http-port", std::to_string(sim.HttpPort()), "--ftp-port",
                std::to_string(sim.FtpPort())};
    }

    std::string Log() { return ReadFileText(m_dir / "temp" / "ndxulog.txt"); }

    TempDir m_dir;
};

TEST_F(CliTest, HelpNamesTheOptionsAndTheExitStatuses)
{
    ProcessResult result = Run({"--help"});
    EXPECT_EQ(result.exitStatus, 0);
    for (const char* text : {"--address", "--package", "--http-port", "--ftp-port", "--password-stdin",
                             "NDXU_PASSWORD", "Exit status:", "  3    the address, password or package was refused",
                             "--check", "--confirm", "--expect-version", "--require-checksum", "--use-alternates",
                             "  11   the upload completed but"})
        EXPECT_NE(result.out.find(text), std::string::npos) << text;
}

TEST_F(CliTest, VersionNamesTheBuild)
{
    ProcessResult result = Run({"--version"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "ndxu-upgrade 5.12 Build 194\n");
}

TEST_F(CliTest, BadUsageHasItsOwnStatus)
{
    EXPECT_EQ(Run({"--no-such-option"}).exitStatus, 2);
    EXPECT_EQ(Run({"--http-port", "70000"}).exitStatus, 2);
    EXPECT_EQ(Run({"--package", (m_dir / "missing").string()}).exitStatus, 2);
    EXPECT_EQ(Run({"--password", "secret"}).exitStatus, 2);
    for (const char* logName : {"", ".", "..", "logs/ndxulog.txt", "..\\ndxulog.txt"})
        EXPECT_EQ(Run({"--log-name", logName}).exitStatus, 2) << logName;
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
    DevSim sim({"--ftp", "off"});
    ProcessResult result = Run(DeviceArgs(sim));
    EXPECT_EQ(result.exitStatus, 9);
    EXPECT_TRUE(result.out.ends_with("Opening FTP Session...\n"));
    EXPECT_TRUE(result.err.starts_with("[ndxu-upgrade] A connection with the server could not be established\n"
                                       "  reason: 127.0.0.1 port "))
        << result.err;
    EXPECT_TRUE(result.err.ends_with(": Connection refused\n")) << result.err;
}

TEST_F(CliTest, UnopenableLogEndsWithoutARun)
{
    ProcessResult result = Run({}, {{"TEMP", (m_dir / "missing").string()}});
    EXPECT_EQ(result.exitStatus, 8);
    EXPECT_EQ(result.err, "[ndxu-upgrade] Cannot open logfile\n  reason: " + (m_dir / "missing" / "ndxulog.txt").string() +
                              ": No such file or directory\n");
    EXPECT_EQ(result.out, "");
}

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
    const std::filesystem::path staging = m_dir / "drive_c" / "varn" / "ndxu511";
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

TEST_F(CliTest, ReaderThatGoesAwayDoesNotEndTheRun)
{
    DevSim sim;
    ProcessResult result = RunInShell("\"$@\" | head -n 1 >/dev/null; exit \"${PIPESTATUS[0]}\"", DeviceArgs(sim));
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(ReadFileText(sim.FtpRoot() / "fw512000.bin"), ReadFileText(m_dir / "package" / "fw512000.bin"));
}

TEST_F(CliTest, ClosedStandardOutputKeepsStatusLinesOutOfTheLog)
{
    DevSim sim;
    ProcessResult result = RunInShell("exec \"$@\" >&-", DeviceArgs(sim));
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    const std::string log = Log();
    EXPECT_NE(log.find("******Firwmware Upgrade Completed\n"), std::string::npos);
    EXPECT_EQ(log.find("Attempting to connect to LAN Modem"), std::string::npos);
}

TEST_F(CliTest, PasswordIsAskedForOnATerminalWithEchoOff)
{
    DevSim sim({"--password", "open sesame", "--ftp", "off"});
    for (const char* source : {"", "--password-stdin"}) {
        std::vector<std::string> args = DeviceArgs(sim);
        args.insert(args.begin(), NDXU_UPGRADE_EXE);
        if (*source) args.push_back(source);
        TerminalSession terminal(args, Environment({}), PackageDirectory());
        ASSERT_TRUE(terminal.WaitFor("Password of the LAN modem: ")) << source << terminal.Screen();
        terminal.Type("open sesame\r");
        EXPECT_EQ(terminal.Wait(), 9) << terminal.Screen();
        EXPECT_EQ(terminal.Screen().find("open sesame"), std::string::npos) << source << terminal.Screen();
        EXPECT_NE(terminal.Screen().find("Password Recognized"), std::string::npos) << terminal.Screen();
    }
}

struct InterruptionCase {
    const char* name;
    std::vector<std::string> deviceOptions;
    std::vector<std::string> options;
    std::string stage;       // the status on the screen when the signal comes
    std::string keys;        // typed then; empty: `signal` sent instead
    int signal;
    int exitStatus;
    std::string lastEntry;
    std::string resultLine;  // with --json: a part of the result line
};

TEST_F(CliTest, InterruptedRunSaysWhereInItsLastLogEntry)
{
    const InterruptionCase cases[] = {
        {"Ctrl-C during the upload", {"--password", "s3cret", "--stor-fault", "stall"}, {},
         "Upgrading Firmware...  This will take about a minute...", "\x03", 0, 130,
         "Run interrupted by SIGINT at \"Upgrading Firmware...  This will take about a minute...\". The device "
         "may hold a partial firmware image.",
         ""},
        {"SIGTERM during the login, --json", {"--password", "s3cret", "--reply", "enter2=silent"}, {"--json"},
         "Attempting to connect to LAN Modem", "", SIGTERM, 143,
         "Run interrupted by SIGTERM at \"Attempting to connect to LAN Modem\". The device's firmware was not "
         "changed.",
         R"("event":"result","result":"interrupted","exit":143,"reason":"Run interrupted by SIGTERM at )"
         R"(\"Attempting to connect to LAN Modem\". The device's firmware was not changed.","version_before":null,)"},
    };
    for (const InterruptionCase& c : cases) {
        std::filesystem::remove(m_dir / "temp" / "ndxulog.txt");
        DevSim sim(c.deviceOptions);
        std::vector<std::string> args = DeviceArgs(sim);
        args.insert(args.begin(), NDXU_UPGRADE_EXE);
        args.insert(args.end(), c.options.begin(), c.options.end());
        TerminalSession terminal(args, Environment({{"NDXU_PASSWORD", "s3cret"}, {"NDXU_RECEIVE_TIMEOUT", "30"}}),
                                 PackageDirectory());
        ASSERT_TRUE(terminal.WaitFor(c.stage)) << c.name << terminal.Screen();
        EXPECT_EQ(ReadFileText("/proc/" + std::to_string(terminal.Pid()) + "/environ").find("s3cret"),
                  std::string::npos) << c.name;
        if (c.keys.empty())
            terminal.Signal(c.signal);
        else
            terminal.Type(c.keys);
        EXPECT_EQ(terminal.Wait(std::chrono::seconds(10)), c.exitStatus) << c.name << terminal.Screen();
        EXPECT_TRUE(Log().ends_with(LogEntry(c.lastEntry))) << c.name << Log();
        if (!c.resultLine.empty()) {
            EXPECT_NE(terminal.Screen().find(c.resultLine), std::string::npos) << c.name << terminal.Screen();
        }
    }
}

struct MeterCase {
    const char* name;
    std::vector<std::string> options;
    bool onTerminal;
    bool meter;
};

TEST_F(CliTest, ProgressMeterOnlyOnATerminalAndNeverInTheLog)
{
    WriteFileText(m_dir / "package" / "fw512000.bin", std::string(600 * 1024, '\x42'));
    const MeterCase cases[] = {
        {"terminal", {}, true, true},
        {"terminal, --quiet", {"--quiet"}, true, false},
        {"pipe", {}, false, false},
        {"pipe, --progress", {"--progress"}, false, true},
    };
    for (const MeterCase& c : cases) {
        DevSim sim({"--throttle", "300000", "--password", "pw"});
        std::vector<std::string> args = DeviceArgs(sim);
        args.insert(args.end(), c.options.begin(), c.options.end());
        std::string shown;
        if (c.onTerminal) {
            args.insert(args.begin(), NDXU_UPGRADE_EXE);
            TerminalSession terminal(args, Environment({{"NDXU_PASSWORD", "pw"}}), PackageDirectory());
            EXPECT_EQ(terminal.Wait(), 0) << c.name << terminal.Screen();
            shown = terminal.Screen();
        } else {
            ProcessResult result = Run(args, {{"NDXU_PASSWORD", "pw"}});
            EXPECT_EQ(result.exitStatus, 0) << c.name << result.err;
            shown = result.err;
        }
        EXPECT_EQ(shown.find("fw512000.bin  ") != std::string::npos && shown.find("KiB/s") != std::string::npos,
                  c.meter)
            << c.name << shown;
        EXPECT_EQ(Log().find("KiB/s"), std::string::npos) << c.name;
    }
}

}  // namespace
