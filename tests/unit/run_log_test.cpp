// SPDX-License-Identifier: MIT
// The run log: entry framing, the start banner, appending across program
// starts, and what happens when the log cannot be opened.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "log/run_log.h"
#include "platform/files/paths.h"
#include "platform/ui/win_app.h"
#include "res/resource.h"
#include "res/string_table.h"
#include "tests/support/wizard_fixture.h"

namespace {

constexpr char kSeparator[] = "***************************************************\n";

class RunLogTest : public WizardTest {
protected:
    std::string OpenFreshLog()
    {
        std::string path = ProgramPathOf(TempDirectory() / "entries.txt");
        EXPECT_EQ(OpenRunLog(path), 0);
        return path;
    }
    std::string Entries() { return ReadFileText(TempDirectory() / "entries.txt"); }
};

TEST_F(RunLogTest, FramesEachEntryWithAsterisksAndWritesTextVerbatim)
{
    OpenFreshLog();
    WriteLogLine("");
    WriteLogLine("<html>\nfirst line\nlast line</html>");
    WriteLogLine("100% done, %s and %d stay as they are");

    EXPECT_EQ(Entries(), std::string("******\n") + kSeparator +
                             "******<html>\nfirst line\nlast line</html>\n" + kSeparator +
                             "******100% done, %s and %d stay as they are\n" + kSeparator);
}

TEST_F(RunLogTest, EveryEntryReachesTheFileAtOnce)
{
    OpenFreshLog();
    WriteLogLine("before a crash");
    EXPECT_EQ(Entries(), "******before a crash\n" + std::string(kSeparator));
}

TEST_F(RunLogTest, HasNoLengthLimit)
{
    OpenFreshLog();
    std::string page(300000, 'p');
    WriteLogLine(page);
    EXPECT_EQ(Entries(), "******" + page + "\n" + kSeparator);
}

TEST_F(RunLogTest, NewLogFileIsReadableByItsOwnerOnly)
{
    OpenFreshLog();
    struct stat info {};
    ASSERT_EQ(::stat((TempDirectory() / "entries.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(RunLogTest, UnopenableLogShowsOneMessageAndDropsEntries)
{
    EXPECT_EQ(OpenRunLog(ProgramPathOf(m_dir / "missing" / "ndxulog.txt")), 1);
    WriteLogLine("dropped");

    EXPECT_EQ(m_host.Events(),
              std::vector<HostEvent>{BoxEvent("Cannot open logfile", AfxGetAppName(), MessageIcon::Exclamation)});
    EXPECT_FALSE(std::filesystem::exists(m_dir / "missing"));
}

TEST_F(RunLogTest, ProgramStartWritesTheBannerWithTheEmptyAddressMessage)
{
    StartWizard();
    EXPECT_EQ(LogText(), LogEntry("\n\n\n\nNDXU Upgrade Started - " + LoadTableString(IDS_NO_ADDRESS)));
    EXPECT_EQ(LogText().substr(0, 11), "******\n\n\n\nN");
}

TEST_F(RunLogTest, SecondProgramStartAppendsAfterTheFirstRunsEntries)
{
    StartWizard();
    WriteLogLine("first run");
    ExitApplication();
    StartWizard();

    std::string banner = LogEntry("\n\n\n\nNDXU Upgrade Started - " + LoadTableString(IDS_NO_ADDRESS));
    EXPECT_EQ(LogText(), banner + LogEntry("first run") + banner);
}

TEST_F(RunLogTest, TemporaryDirectoryEndingInASeparatorStillFindsTheLog)
{
    m_env.Set("TEMP", TempDirectory().string() + "/");
    StartWizard();
    EXPECT_NE(LogText().find("NDXU Upgrade Started - "), std::string::npos);
}

TEST_F(RunLogTest, UnopenableLogEndsTheProgramByItselfBeforeAnyInput)
{
    m_env.Set("TEMP", (m_dir / "no-such-directory").string());
    m_app = std::make_unique<CUpgradeWizardApp>();
    bool inputTaken = false;
    m_host.Queue([&] { inputTaken = true; });

    int exitCode = AfxWinMain(*m_app);
    m_app.reset();

    EXPECT_EQ(exitCode, 0);
    EXPECT_FALSE(inputTaken);
    EXPECT_EQ(m_host.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_host.MessageBoxes()[0].text, "Cannot open logfile");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "no-such-directory"));
}

struct PlantedLog {
    const char* name;
    // Plants a file under the log's name; `victim` is a file of someone else,
    // "not-there.txt" beside it must stay missing.
    void (*plant)(const std::filesystem::path& log, const std::filesystem::path& victim);
    bool needsRoot = false;  // to give a file to another user
};

void PrintTo(const PlantedLog& row, std::ostream* out) { *out << row.name; }

// What another user can leave in a shared temporary directory under the
// log's name: none of it is opened, and nothing reaches the file behind it.
class PlantedLogTest : public RunLogTest, public ::testing::WithParamInterface<PlantedLog> {};

TEST_P(PlantedLogTest, IsRefusedAndLeftAlone)
{
    if (GetParam().needsRoot && ::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    const std::filesystem::path log = TempDirectory() / "ndxulog.txt";
    const std::filesystem::path victim = m_dir / "victim.txt";
    WriteFileText(victim, "someone else's file");
    GetParam().plant(log, victim);

    EXPECT_EQ(OpenRunLog(ProgramPathOf(log)), 1);
    WriteLogLine("device page");

    EXPECT_EQ(m_host.MessageBoxes(), std::vector<HostEvent>{BoxEvent("Cannot open logfile", AfxGetAppName(),
                                                                     MessageIcon::Exclamation)});
    EXPECT_EQ(ReadFileText(victim), "someone else's file");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "not-there.txt"));
    std::error_code ec;
    if (std::filesystem::is_regular_file(log, ec)) {
        EXPECT_EQ(ReadFileText(log), "someone else's file");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Plants, PlantedLogTest,
    ::testing::Values(
        PlantedLog{"LinkToAnotherFile",
                   [](const std::filesystem::path& log, const std::filesystem::path& victim) {
                       std::filesystem::create_symlink(victim, log);
                   }},
        PlantedLog{"DanglingLink",
                   [](const std::filesystem::path& log, const std::filesystem::path& victim) {
                       std::filesystem::create_symlink(victim.parent_path() / "not-there.txt", log);
                   }},
        PlantedLog{"SecondNameOfAnotherFile",
                   [](const std::filesystem::path& log, const std::filesystem::path& victim) {
                       std::filesystem::create_hard_link(victim, log);
                   }},
        PlantedLog{"Fifo",
                   [](const std::filesystem::path& log, const std::filesystem::path&) {
                       ASSERT_EQ(::mkfifo(log.c_str(), 0666), 0);
                   }},
        PlantedLog{"Directory",
                   [](const std::filesystem::path& log, const std::filesystem::path&) {
                       std::filesystem::create_directory(log);
                   }},
        PlantedLog{"AnotherUsersFile",
                   [](const std::filesystem::path& log, const std::filesystem::path&) {
                       WriteFileText(log, "someone else's file");
                       ::chmod(log.c_str(), 0666);
                       ASSERT_EQ(::chown(log.c_str(), 4242, 4242), 0);
                   },
                   true}),
    [](const ::testing::TestParamInfo<PlantedLog>& param) { return std::string(param.param.name); });

TEST_F(RunLogTest, OwnLogReadableByOthersIsMadePrivateAndKept)
{
    const std::filesystem::path log = TempDirectory() / "entries.txt";
    WriteFileText(log, "earlier run\n");
    ASSERT_EQ(::chmod(log.c_str(), 0644), 0);
    OpenFreshLog();
    WriteLogLine("this run");
    struct stat info {};
    ASSERT_EQ(::stat(log.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(Entries(), "earlier run\n" + LogEntry("this run"));
}

TEST_F(RunLogTest, WithoutTempOrTmpdirTheLogLivesInTheUsersStateDirectory)
{
    m_env.Unset("TEMP");
    m_env.Unset("TMPDIR");
    m_env.Set("XDG_STATE_HOME", (m_dir / "state").string());
    StartWizard();
    const std::filesystem::path directory = m_dir / "state" / "ndxu-upgrade";
    EXPECT_EQ(ReadFileText(directory / "ndxulog.txt"),
              LogEntry("\n\n\n\nNDXU Upgrade Started - " + LoadTableString(IDS_NO_ADDRESS)));
    struct stat info {};
    ASSERT_EQ(::stat(directory.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
}

}  // namespace
