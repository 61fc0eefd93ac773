// SPDX-License-Identifier: MIT
// The run log: entry framing, the start banner, appending across program
// starts, and what happens when the log cannot be opened.
#include <gtest/gtest.h>

#include "platform/ui/win_app.h"
#include "res/resource.h"
#include "res/string_table.h"
#include "tests/unit/run_log_fixture.h"

namespace {

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

}  // namespace
