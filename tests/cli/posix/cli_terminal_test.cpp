// SPDX-License-Identifier: MIT
// The console front-end on a terminal and in a shell's pipes: the password
// typed with echo off, Ctrl-C and SIGTERM, the transfer meter, a reader that
// goes away and a closed standard output. Pseudo-terminals, signals and the
// shell are Linux's.
#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <regex>

#include "tests/cli/cli_fixture.h"
#include "tests/cli/terminal_session.h"
#include "tests/support/wizard_fixture.h"

namespace {

// Whether the terminal shows the text at `position` of `screen` at the start
// of a line: nothing before it since the last line feed, or only what a
// carriage return and an erase of the line ("\r\x1b[K") take away again.
bool StartsALine(const std::string& screen, std::size_t position)
{
    const std::size_t lineStart = screen.rfind('\n', position == 0 ? 0 : position - 1);
    const std::string before =
        screen.substr(lineStart == std::string::npos ? 0 : lineStart + 1, position - (lineStart + 1));
    return before.empty() || before.ends_with("\r\x1b[K");
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
    std::string stage;       // what the screen shows when the signal comes
    std::string keys;        // typed then; empty: `signal` sent instead
    int signal;
    bool twice;              // again, once the first has been taken (its notice is on the screen)
    int exitStatus;
    std::string logEntry;    // an entry of the run log
    bool lastEntry;          // whether it is the log's last
    std::string shown;       // a part of what the screen shows at the end (with --json: of the result line)
    std::optional<bool> imageWhole;  // whether the device holds the image byte for byte
    const char* phase;       // the phase the program's last line names; nullptr: no such line
};

TEST_F(CliTest, InterruptedRunSaysWhereInItsLastLogEntry)
{
    const std::string upgrading = "Upgrading Firmware...  This will take about a minute...";
    const std::string uploadProgress = R"("event":"progress","file":"fw512000.bin","direction":"upload")";
    const std::string waits = "ndxu-upgrade: SIGTERM: the upload of fw512000.bin under way finishes first, then the "
                              "run stops; a second SIGINT or SIGTERM stops it at once";
    const InterruptionCase cases[] = {
        {"Ctrl-C twice during the upload", {"--stor-fault", "stall"}, {}, upgrading, "\x03", 0, true, 130,
         "Run interrupted by SIGINT at \"" + upgrading + "\". The device may hold a partial firmware image.", true,
         "the upload of fw512000.bin under way finishes first", std::nullopt, "upload"},
        {"Ctrl-C during the login", {"--reply", "enter2=silent"}, {}, "Attempting to connect to LAN Modem", "\x03", 0,
         false, 130,
         "Run interrupted by SIGINT at \"Attempting to connect to LAN Modem\". The device's firmware was not "
         "changed.",
         true, "^C", std::nullopt, "web_login"},
        {"SIGTERM during the login, --json", {"--reply", "enter2=silent"}, {"--json"},
         "Attempting to connect to LAN Modem", "", SIGTERM, false, 143,
         "Run interrupted by SIGTERM at \"Attempting to connect to LAN Modem\". The device's firmware was not "
         "changed.",
         true,
         R"("event":"result","result":"interrupted","exit":143,"reason":"Run interrupted by SIGTERM at )"
         R"(\"Attempting to connect to LAN Modem\". The device's firmware was not changed.",)"
         R"("device_state":null,"next_step":null,"version_before":null,)",
         std::nullopt, "web_login"},
        {"SIGTERM during the upload lets it finish, --json", {"--throttle", "16384"}, {"--json"}, uploadProgress, "",
         SIGTERM, false, 143,
         "Run interrupted by SIGTERM after the upload of fw512000.bin completed, at \"Checking for alternate "
         "prof.bin\". The firmware upload had completed.",
         true, R"("event":"result","result":"interrupted","exit":143,)", true, "completed"},
        {"SIGTERM twice during the upload stops it", {"--throttle", "8192"}, {}, "fw512000.bin  ", "", SIGTERM, true,
         143, "Run interrupted by SIGTERM at \"" + upgrading + "\". The device may hold a partial firmware image.",
         true, waits, false, "upload"},
        {"SIGHUP during the upload, --json: the run goes on to its end", {"--throttle", "16384"}, {"--json"},
         uploadProgress, "", SIGHUP, false, 129,
         "SIGHUP received at \"" + upgrading + "\": the terminal is gone; the run goes on to its end.", false,
         R"("event":"result","result":"completed","exit":129,)", true, nullptr},
    };
    for (const InterruptionCase& c : cases) {
        std::filesystem::remove(m_dir / "temp" / "ndxulog.txt");
        std::vector<std::string> deviceOptions = {"--password", "s3cret"};
        deviceOptions.insert(deviceOptions.end(), c.deviceOptions.begin(), c.deviceOptions.end());
        DevSim sim(deviceOptions);
        std::vector<std::string> args = DeviceArgs(sim);
        args.insert(args.begin(), NDXU_UPGRADE_EXE);
        args.insert(args.end(), c.options.begin(), c.options.end());
        TerminalSession terminal(args, Environment({{"NDXU_PASSWORD", "s3cret"}, {"NDXU_RECEIVE_TIMEOUT", "30"}}),
                                 PackageDirectory());
        ASSERT_TRUE(terminal.WaitFor(c.stage)) << c.name << terminal.Screen();
        EXPECT_EQ(ReadFileText("/proc/" + std::to_string(terminal.Pid()) + "/environ").find("s3cret"),
                  std::string::npos) << c.name;
        const auto interrupt = [&] {
            if (c.keys.empty())
                terminal.Signal(c.signal);
            else
                terminal.Type(c.keys);
        };
        interrupt();
        if (c.twice) {
            // A signal sent before the first is taken would be one with it.
            ASSERT_TRUE(terminal.WaitFor("under way finishes first")) << c.name << terminal.Screen();
            interrupt();
        }
        EXPECT_EQ(terminal.Wait(std::chrono::seconds(30)), c.exitStatus) << c.name << terminal.Screen();
        if (c.lastEntry) {
            EXPECT_TRUE(Log().ends_with(LogEntry(c.logEntry))) << c.name << Log();
        } else {
            EXPECT_NE(Log().find(LogEntry(c.logEntry)), std::string::npos) << c.name << Log();
        }
        const std::string& screen = terminal.Screen();
        EXPECT_NE(screen.find(c.shown), std::string::npos) << c.name << screen;
        // Every notice is on a line of its own, the meter's line ended first.
        for (std::size_t at = screen.find("ndxu-upgrade: "); at != std::string::npos;
             at = screen.find("ndxu-upgrade: ", at + 1))
            EXPECT_TRUE(StartsALine(screen, at)) << c.name << ": " << screen.substr(at);
        if (c.phase) {
            const std::string last = "ndxu-upgrade: interrupted in phase " + std::string(c.phase) + "; the run log " +
                                     (m_dir / "temp" / "ndxulog.txt").string() + " says where\r\n";
            EXPECT_TRUE(screen.ends_with(last)) << c.name << screen;
        }
        // Only a completed run ends with the files it kept.
        EXPECT_EQ(screen.find("ndxu-upgrade: run log "), std::string::npos) << c.name << screen;
        if (c.imageWhole) {
            const std::filesystem::path image = sim.FtpRoot() / "fw512000.bin";
            const std::string sent = std::filesystem::exists(image) ? ReadFileText(image) : "";
            EXPECT_EQ(sent == ReadFileText(m_dir / "package" / "fw512000.bin"), *c.imageWhole)
                << c.name << ": " << sent.size() << " bytes on the device";
        }
    }
}

struct MeterCase {
    const char* name;
    std::vector<std::string> options;
    bool onTerminal;
    bool meter;
};

TEST_F(CliTest, ProgressMeterOnlyOnATerminalAndNeverInTheLogAndACompletedRunNamesItsFiles)
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
        // The run ends with the profile it kept (the device's, byte for
        // byte) and the run log, each on a line of its own (the meter
        // cleared before them).
        static const std::regex kept("(^|\n|\r\x1b\\[K)ndxu-upgrade: profile kept as ([^\r\n]+)\r?\n"
                                     "ndxu-upgrade: run log ([^\r\n]+)\r?\n$");
        std::smatch files;
        ASSERT_TRUE(std::regex_search(shown, files, kept)) << c.name << shown;
        EXPECT_EQ(ReadFileText(files[2].str()), ReadFileText(sim.FtpRoot() / "prof.bin")) << c.name << files[2];
        EXPECT_EQ(files[3].str(), (m_dir / "temp" / "ndxulog.txt").string()) << c.name;
    }
}

}  // namespace
