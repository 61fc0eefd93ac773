// SPDX-License-Identifier: MIT
// The console front-end on a terminal and in a shell's pipes: the password
// typed with echo off, Ctrl-C and SIGTERM, the transfer meter, a reader that
// goes away and a closed standard output. Pseudo-terminals, signals and the
// shell are Linux's.
#include <gtest/gtest.h>

#include <csignal>

#include "tests/cli/cli_fixture.h"
#include "tests/cli/terminal_session.h"
#include "tests/support/wizard_fixture.h"

namespace {

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
