// SPDX-License-Identifier: MIT
// The run log as a file of its own on Linux: its mode, what another user can
// plant under its name in a shared directory, and its place without TEMP and
// TMPDIR.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/ui/win_app.h"
#include "res/resource.h"
#include "res/string_table.h"
#include "tests/unit/run_log_fixture.h"

namespace {

TEST_F(RunLogTest, NewLogFileIsReadableByItsOwnerOnly)
{
    OpenFreshLog();
    struct stat info {};
    ASSERT_EQ(::stat((TempDirectory() / "entries.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
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
    EXPECT_EQ(ReadTextFile(directory / "ndxulog.txt"),
              LogEntry("\n\n\n\nNDXU Upgrade Started - " + LoadTableString(IDS_NO_ADDRESS)));
    struct stat info {};
    ASSERT_EQ(::stat(directory.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
}

}  // namespace
