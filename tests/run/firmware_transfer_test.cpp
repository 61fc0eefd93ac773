// SPDX-License-Identifier: MIT
// The FTP phases end to end against the simulator: staging, the profile
// backup, the firmware and alternate uploads, the completion screen, and
// every way these phases can end.
#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <regex>

#include "platform/files/paths.h"
#include "platform/ui/resources.h"
#include "platform/ui/win_app.h"
#include "res/resource.h"
#include "tests/support/device_fixture.h"
#include "tests/support/drive_c.h"
#include "tests/support/ftp_commands.h"

namespace {

const char kCongratulations[] =
    "Congratulations!  Your firmware is now upgraded to 5.1.2.  Click on EXIT to leave the Halvex\u00ae LAN "
    "Modem Upgrade Wizard.";

class FirmwareTransferTest : public DeviceTest {
protected:
    // Runs against the device started already, or a new one.
    void Run(std::vector<std::string> deviceOptions = {})
    {
        if (!m_sim) StartDevice(std::move(deviceOptions));
        StartWizard();
        RunWith(kDeviceAddress, "");
    }

    void PutInStaging(const std::string& name, const std::string& content)
    {
        WriteFileText(StagingDirectory() / name, content);
    }

    // The transfers the device saw, as "RETR name" / "STOR name".
    std::vector<std::string> Transfers()
    {
        std::vector<std::string> transfers;
        for (const std::string& command : Device().FtpCommands())
            if (command.starts_with("RETR ") || command.starts_with("STOR ")) transfers.push_back(command);
        return transfers;
    }

    std::vector<std::string> BoxTexts()
    {
        std::vector<std::string> texts;
        for (const HostEvent& box : m_host.MessageBoxes()) texts.push_back(box.text);
        return texts;
    }


    std::vector<int> VisibleButtons()
    {
        std::vector<int> ids;
        for (const Control& control : Wizard().Controls())
            if (control.kind() == ControlKind::PushButton && control.visible) ids.push_back(control.id());
        return ids;
    }

    std::string HistoryName() { return DeviceHistoryName(kDeviceAddress, Device().HttpPort(), Device().FtpPort()); }

    // The files of the device's profile history, but for the device's lock.
    std::vector<std::filesystem::path> Kept()
    {
        std::vector<std::filesystem::path> files;
        const std::filesystem::path history = StagingDirectory() / "history" / HistoryName();
        if (!std::filesystem::exists(history)) return files;
        for (const auto& entry : std::filesystem::directory_iterator(history))
            if (IsProfileBackup(entry.path())) files.push_back(entry.path());
        return files;
    }

    std::string PackageImage() { return ReadFileText(PackageDirectory() / "fw512000.bin"); }
    std::string OnDevice(const std::string& name) { return ReadFileText(Device().FtpRoot() / name); }
};

TEST_F(FirmwareTransferTest, PlainPackageMakesTwoTransfersAndReachesTheCompletionScreen)
{
    Run();
    EXPECT_EQ(Transfers(), (std::vector<std::string>{"RETR prof.bin", "STOR fw512000.bin"}));
    EXPECT_TRUE(m_host.MessageBoxes().empty());
    EXPECT_EQ(OnDevice("fw512000.bin"), PackageImage());
    EXPECT_EQ(ReadFileText(StagingDirectory() / "profback.bin"), OnDevice("prof.bin"));
    EXPECT_EQ(ReadFileText(StagingDirectory() / "readme.txt"), ReadFileText(PackageDirectory() / "ndxuback.txt"));
    ASSERT_EQ(Kept().size(), 1u);
    EXPECT_TRUE(std::regex_match(Kept()[0].filename().string(), std::regex(R"(profback-\d{8}T\d{6}Z\.bin)")))
        << Kept()[0];
    EXPECT_EQ(ReadFileText(Kept()[0]), OnDevice("prof.bin"));
    EXPECT_EQ(Wizard().LastRun().backup, Kept()[0].string());
    // The window's run keeps the same journal as the console's: its phases, then its end.
    const std::string journal = ReadFileText(Kept()[0].parent_path() / "journal.jsonl");
    EXPECT_NE(journal.find(R"("event":"phase","phase":"upload")"), std::string::npos) << journal;
    EXPECT_NE(journal.find(R"("event":"end","phase":"completed")"), std::string::npos) << journal;
    EXPECT_NE(journal.find(R"("result":"completed","exit":0)"), std::string::npos) << journal;

    EXPECT_EQ(VisibleButtons(), std::vector<int>{IDCANCEL});
    EXPECT_EQ(Text(IDCANCEL), "Exit");
    EXPECT_EQ(Wizard().FocusId(), IDCANCEL);
    EXPECT_TRUE(Wizard().FindControl(IDCANCEL)->defaultLook);
    EXPECT_FALSE(Visible(IDC_ADDRESS));
    EXPECT_FALSE(Visible(IDC_PASSWORD));
    EXPECT_EQ(Text(IDC_INTRO), kCongratulations);
    EXPECT_EQ(Text(IDC_ADDRESS_LABEL), "");
    EXPECT_EQ(Text(IDC_PASSWORD_LABEL), "");
    EXPECT_EQ(Text(IDC_STATUS), "Firmware Upgrade Completed");
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::Completed);
}

TEST_F(FirmwareTransferTest, StatusTextsFollowTheTransferPhases)
{
    Run();
    std::vector<std::string> statuses = m_host.Statuses();
    auto from = std::find(statuses.begin(), statuses.end(), "Opening FTP Session...");
    ASSERT_NE(from, statuses.end());
    EXPECT_EQ(std::vector<std::string>(from, statuses.end()),
              (std::vector<std::string>{"Opening FTP Session...", "Upgrading Firmware", "Backing up old profile...",
                                        "Profile Saved", "Checking for alternate prod.bin",
                                        "Upgrading Firmware...  This will take about a minute...",
                                        "Checking for alternate prof.bin", "Resetting the Halvex LAN Modem",
                                        "Firmware Upgrade Completed"}));
}

TEST_F(FirmwareTransferTest, CompleteRunLeavesThisLog)
{
    Run();
    std::string staging = "C:\\varn\\ndxu511";
    ASSERT_EQ(Kept().size(), 1u);
    const std::string kept = staging + "\\history\\" + HistoryName() + "\\" + Kept()[0].filename().string();
    std::string expectedTail =
        LogEntry("FTP Server Started") + LogEntry("Opening FTP Session...") + LogEntry("Upgrading Firmware") +
        LogEntry("Copying ndxuback.txt from package to " + staging + "\\readme.txt") +
        LogEntry("Backing up old profile...") + LogEntry("Profile Saved") + LogEntry("Profile Kept as " + kept) +
        LogEntry("Checking for alternate prod.bin") +
        LogEntry("Upgrading Firmware...  This will take about a minute...") +
        LogEntry("Checking for alternate prof.bin") + LogEntry("Checking for alternate boot.bin") +
        LogEntry("Resetting the Halvex LAN Modem") + LogEntry("Firwmware Upgrade Completed");
    EXPECT_TRUE(LogText().ends_with(expectedTail)) << LogText();
}

TEST_F(FirmwareTransferTest, FullRunSendsExactlyThisFtpTranscript)
{
    Run();
    // PORT arguments are masked by the simulator's rule (WithPortsMasked):
    // the address, loopback, stays; the port the system chose goes.
    EXPECT_EQ(WithPortsMasked(Device().FtpCommands()),
              FtpSequence({FtpLogin(), FtpTransfer("RETR prof.bin", true), FtpTransfer("STOR fw512000.bin", false),
                           {"QUIT"}}));
}

TEST_F(FirmwareTransferTest, AlternateImageTakesThePlaceOfThePackagesImage)
{
    std::filesystem::remove(PackageDirectory() / "fw512000.bin");
    PutInStaging("prod.bin", "alternate firmware image");
    Run();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Alternate Prod.bin found.  Click OK to upload."});
    EXPECT_EQ(m_host.MessageBoxes()[0].icon, MessageIcon::None);
    EXPECT_EQ(OnDevice("fw512000.bin"), "alternate firmware image");
    EXPECT_FALSE(std::filesystem::exists(Device().FtpRoot() / "prod.bin"));
    EXPECT_TRUE(LogHas("Alternate prod.bin found"));
    std::vector<std::string> statuses = m_host.Statuses();
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Alternate Prod.bin found"), statuses.end());
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::Completed);
}

// The package check found the alternate image; it is taken away while the
// confirmation waits for OK, so the late check stops the run.
class VanishingImageTest : public FirmwareTransferTest,
                           public ::testing::WithParamInterface<std::function<void(const std::filesystem::path&)>> {};

TEST_P(VanishingImageTest, StopsBeforeAnyUploadWithNoButtonLeft)
{
    PutInStaging("prod.bin", "alternate firmware image");
    const std::filesystem::path image = StagingDirectory() / "prod.bin";
    m_host.WhileBoxShows("Alternate Prod.bin found.  Click OK to upload.", [&] { GetParam()(image); });
    Run();
    const std::string failure = "Cannot find C:\\varn\\ndxu511\\prod.bin";
    EXPECT_EQ(Transfers(), std::vector<std::string>{"RETR prof.bin"});
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Alternate Prod.bin found.  Click OK to upload.", failure}));
    EXPECT_EQ(Text(IDC_STATUS), failure);
    EXPECT_TRUE(LogText().ends_with(LogEntry(failure) + NextStepEntries(DownloadModeStep())));
    EXPECT_TRUE(VisibleButtons().empty());
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::UploadNotStarted);
    EXPECT_FALSE(std::filesystem::exists(Device().FtpRoot() / "fw512000.bin"));
}

INSTANTIATE_TEST_SUITE_P(
    Changes, VanishingImageTest,
    ::testing::Values([](const std::filesystem::path& image) { std::filesystem::remove(image); },
                      [](const std::filesystem::path& image) {
                          std::filesystem::remove(image);
                          std::filesystem::create_directory(image);
                      }));

TEST_F(FirmwareTransferTest, AlternateProfileFollowsThePackageImage)
{
    PutInStaging("prof.bin", "alternate profile");
    Run();
    EXPECT_EQ(Transfers(), (std::vector<std::string>{"RETR prof.bin", "STOR fw512000.bin", "STOR prof.bin"}));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Alternate Prof.bin found.  Click OK to upload."});
    EXPECT_EQ(OnDevice("prof.bin"), "alternate profile");
    EXPECT_TRUE(LogHas("Alternate Prof.bin found."));
    std::vector<std::string> statuses = m_host.Statuses();
    auto checking = std::find(statuses.begin(), statuses.end(), "Checking for alternate prof.bin");
    ASSERT_NE(checking, statuses.end());
    EXPECT_EQ(*(checking + 1), "Resetting the Halvex LAN Modem");
}

TEST_F(FirmwareTransferTest, AllThreeAlternatesAreConfirmedAndUploadedInOrder)
{
    PutInStaging("prod.bin", "image");
    PutInStaging("prof.bin", "profile");
    PutInStaging("boot.bin", "boot image");
    Run();
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Alternate Prod.bin found.  Click OK to upload.",
                                                    "Alternate Prof.bin found.  Click OK to upload.",
                                                    "Alternate Boot.bin found.  Click OK to upload."}));
    EXPECT_EQ(Transfers(), (std::vector<std::string>{"RETR prof.bin", "STOR fw512000.bin", "STOR prof.bin",
                                                     "STOR boot.bin"}));
    EXPECT_EQ(OnDevice("boot.bin"), "boot image");
    std::vector<std::string> statuses = m_host.Statuses();
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Alternate Boot.bin found."), statuses.end());
    EXPECT_EQ(Text(IDC_STATUS), "Firmware Upgrade Completed");
}

TEST_F(FirmwareTransferTest, DeviceWithoutProfileSaysSoAndTheRunGoesOn)
{
    Run({"--no-profile"});
    EXPECT_TRUE(LogHas("Profile Not Saved"));
    EXPECT_FALSE(LogHas("Profile Saved"));
    EXPECT_FALSE(std::filesystem::exists(StagingDirectory() / "profback.bin"));
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::Completed);
}

TEST_F(FirmwareTransferTest, GoodProfileDownloadReplacesAnOldBackup)
{
    PutInStaging("profback.bin", "old backup");
    Run();
    // The run uploads no profile of its own, so the device's prof.bin is the
    // profile it served: the simulator's 4096 bytes.
    ASSERT_EQ(Transfers(), (std::vector<std::string>{"RETR prof.bin", "STOR fw512000.bin"}));
    const std::string profile = OnDevice("prof.bin");
    EXPECT_EQ(profile.size(), 4096u);
    EXPECT_EQ(ReadFileText(StagingDirectory() / "profback.bin"), profile);
}

TEST_F(FirmwareTransferTest, FailedProfileDownloadKeepsTheOldBackup)
{
    PutInStaging("profback.bin", "old backup");
    Run({"--no-profile"});
    EXPECT_EQ(ReadFileText(StagingDirectory() / "profback.bin"), "old backup");
    for (const auto& entry : std::filesystem::directory_iterator(StagingDirectory()))
        EXPECT_TRUE(entry.path().filename() == "profback.bin" || entry.path().filename() == "readme.txt" ||
                    entry.path().filename() == "history")
            << entry.path();
    EXPECT_EQ(Kept(), std::vector<std::filesystem::path>{});
    EXPECT_EQ(Wizard().LastRun().backup, "");
}

TEST_F(FirmwareTransferTest, BackupOfASecondThatHasOneAlreadyTakesTheNextName)
{
    StartDevice();
    // Another backup for every second of the next minute.
    const std::filesystem::path history = StagingDirectory() / "history" / HistoryName();
    std::filesystem::create_directories(history);
    std::filesystem::permissions(StagingDirectory() / "history", std::filesystem::perms::owner_all);
    std::filesystem::permissions(history, std::filesystem::perms::owner_all);
    const std::time_t now = std::time(nullptr);
    for (std::time_t second = now - 1; second < now + 60; ++second) {
        char name[64];
        std::strftime(name, sizeof name, "profback-%Y%m%dT%H%M%SZ.bin", std::gmtime(&second));
        WriteFileText(history / name, "an earlier backup");
    }
    Run();
    std::vector<std::filesystem::path> added;
    for (const std::filesystem::path& kept : Kept())
        if (ReadFileText(kept) != "an earlier backup") added.push_back(kept);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_TRUE(added[0].filename().string().ends_with("Z-2.bin")) << added[0];
    EXPECT_EQ(ReadFileText(added[0]), OnDevice("prof.bin"));
    EXPECT_EQ(Kept().size(), 62u);
}

#ifndef _WIN32
// Links, FIFOs, file modes and owners: Linux cases (Windows has its own in
// tests/unit/windows/files_test.cpp).
TEST_F(FirmwareTransferTest, HistoryThatCannotBeUsedIsReportedAndTheUpgradeGoesOn)
{
    StartDevice();
    // The device's history directory is a link to a directory of someone else's choosing.
    const std::filesystem::path elsewhere = m_dir / "elsewhere";
    std::filesystem::create_directories(elsewhere);
    std::filesystem::create_directories(StagingDirectory() / "history");
    std::filesystem::permissions(StagingDirectory() / "history", std::filesystem::perms::owner_all);
    std::filesystem::create_directory_symlink(elsewhere, StagingDirectory() / "history" / HistoryName());
    Run();
    const std::string directory = "C:\\varn\\ndxu511\\history\\" + HistoryName();
    const std::string failure = "Profile Not Kept in " + directory;
    EXPECT_EQ(m_host.MessageBoxes(),
              std::vector<HostEvent>{BoxEvent(failure, AfxGetAppName(), MessageIcon::Exclamation)});
    EXPECT_NE(LogText().find(LogEntry("Profile Saved") + LogEntry(failure) +
                             LogEntry("Reason: " + directory + " is a symbolic link")),
              std::string::npos)
        << LogText();
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
    EXPECT_EQ(ReadFileText(StagingDirectory() / "profback.bin"), OnDevice("prof.bin"));
    EXPECT_EQ(Wizard().LastRun().backup, "");
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::Completed);
}

TEST_F(FirmwareTransferTest, HistoryReplacedByALinkDuringTheRunIsNotWrittenThrough)
{
    StartDevice();
    // While the staging copy's failure shows, the device's history becomes
    // a link to a directory of someone else's choosing.
    std::filesystem::remove(PackageDirectory() / "ndxuback.txt");
    const std::string copyFailure =
        "Cannot Copy " + ProgramPathOf(PackageDirectory()) + "\\ndxuback.txt to C:\\varn\\ndxu511\\readme.txt";
    const std::filesystem::path elsewhere = m_dir / "elsewhere";
    std::filesystem::create_directories(elsewhere);
    const std::filesystem::path history = StagingDirectory() / "history" / HistoryName();
    m_host.WhileBoxShows(copyFailure, [&] {
        std::filesystem::rename(history, m_dir / "history-aside");
        std::filesystem::create_directory_symlink(elsewhere, history);
    });
    Run();
    const std::string failure = "Profile Not Kept in C:\\varn\\ndxu511\\history\\" + HistoryName();
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{copyFailure, failure}));
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
    EXPECT_EQ(ReadFileText(StagingDirectory() / "profback.bin"), OnDevice("prof.bin"));
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::Completed);
}

TEST_F(FirmwareTransferTest, DeviceHeldByAnotherRunIsLeftAloneUntilTheLockIsFree)
{
    StartDevice();
    const std::filesystem::path history = StagingDirectory() / "history" / HistoryName();
    std::filesystem::create_directories(history);
    for (std::filesystem::path directory = history; directory != StagingDirectory().parent_path();
         directory = directory.parent_path())
        std::filesystem::permissions(directory, std::filesystem::perms::owner_all);
    WriteFileText(history / "run.lock", "process 4242 (ndxu-upgrade) since 2026-12-09 12:00:00 UTC\n");
    const int fd = ::open((history / "run.lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    Run();
    const std::string text =
        "The LAN Modem at 127.0.0.1 is in the hands of another run: process 4242 (ndxu-upgrade) since 2026-12-09 "
        "12:00:00 UTC.";
    EXPECT_EQ(m_host.MessageBoxes(), std::vector<HostEvent>{BoxEvent(text, AfxGetAppName(), MessageIcon::Exclamation)});
    EXPECT_TRUE(LogHas(text));
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::DeviceBusy);
    EXPECT_TRUE(Device().HttpRequests().empty());
    EXPECT_TRUE(Device().FtpRecords().empty());

    // Once the other run is gone, the next Continue takes the device over.
    ::close(fd);
    RunWith(kDeviceAddress, "");
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::Completed);
    EXPECT_EQ(ReadFileText(history / "run.lock").rfind("process " + std::to_string(::getpid()) + " (" + AfxGetAppName() +
                                                           ") since ",
                                                       0),
              0u);
}
#endif

struct RefusedConnection {
    const char* ftpMode;      // the simulator's --ftp
    const char* deviceReason; // what the device or the Internet layer says
};

class RefusedFtpConnectionTest : public FirmwareTransferTest,
                                 public ::testing::WithParamInterface<RefusedConnection> {};

TEST_P(RefusedFtpConnectionTest, LogsTheReasonShowsOneStopBoxAndKeepsTheInputs)
{
    Run({"--ftp", GetParam().ftpMode});
    ASSERT_EQ(m_host.MessageBoxes().size(), 1u);
    const HostEvent box = m_host.MessageBoxes()[0];
    EXPECT_TRUE(box.text.starts_with(GetParam().deviceReason)) << box.text;
    EXPECT_EQ(box.icon, MessageIcon::Stop);
    EXPECT_EQ(box.caption, AfxGetAppName());
    // A refused connection adds the host and port that refused it.
    const std::string reported = LogEntry("Opening FTP Session...") + LogEntry("FTP connection failed: " + box.text);
    const std::string log = LogText();
    const std::string tail = log.substr(log.rfind(reported) + reported.size());
    EXPECT_TRUE(tail == NextStepEntries(DownloadModeStep()) ||
                (tail.starts_with("******Reason: 127.0.0.1 port ") && tail.ends_with(NextStepEntries(DownloadModeStep()))))
        << log;
    EXPECT_EQ(Text(IDC_STATUS), "Opening FTP Session...");
    for (int id : {IDC_CONTINUE, IDCANCEL, IDC_ADDRESS, IDC_PASSWORD}) EXPECT_TRUE(Visible(id)) << id;
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::UploadNotStarted);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, RefusedFtpConnectionTest,
    ::testing::Values(RefusedConnection{"off", "A connection with the server could not be established"},
                      RefusedConnection{"refuse-login", "530"},
                      RefusedConnection{"greeting-421", "421 Too many connections, try again later."}));

TEST_F(FirmwareTransferTest, FailedStagingCopyIsReportedAndTheRunGoesOn)
{
    std::filesystem::remove(PackageDirectory() / "ndxuback.txt");
    Run();
    std::string source = ProgramPathOf(PackageDirectory()) + "\\ndxuback.txt";
    std::string failure = "Cannot Copy " + source + " to C:\\varn\\ndxu511\\readme.txt";
    EXPECT_EQ(m_host.MessageBoxes(),
              std::vector<HostEvent>{BoxEvent(failure, AfxGetAppName(), MessageIcon::Exclamation)});
    EXPECT_NE(LogText().find(LogEntry("Copying ndxuback.txt from package to C:\\varn\\ndxu511\\readme.txt") +
                             LogEntry(failure) + LogEntry("Backing up old profile...")),
              std::string::npos);
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::Completed);
}

TEST_F(FirmwareTransferTest, PackageOnADriveRootGivesADoubledBackslash)
{
    ScopedCurrentDirectory root("/");
    const std::string drive = ProgramPathOf(std::filesystem::current_path());  // "Z:\\" (Linux) or "C:\\"
    PutInStaging("prod.bin", "alternate firmware image");
    Run();
    EXPECT_TRUE(LogHas("Cannot Copy " + drive + "\\ndxuback.txt to C:\\varn\\ndxu511\\readme.txt"));
}

TEST_F(FirmwareTransferTest, SecondRunFindsTheStagingDirectoryAndRefreshesTheCopy)
{
    PutInStaging("readme.txt", "stale");
    Run();
    EXPECT_EQ(ReadFileText(StagingDirectory() / "readme.txt"), ReadFileText(PackageDirectory() / "ndxuback.txt"));
    EXPECT_TRUE(m_host.MessageBoxes().empty());
}

class FailedUploadTest : public FirmwareTransferTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(FailedUploadTest, IsReportedAndNeverCongratulated)
{
    m_env.Set("NDXU_RECEIVE_TIMEOUT", "2");
    Run({"--stor-fault", GetParam()});
    const std::string failure = "Cannot Upload fw512000.bin as fw512000.bin";
    EXPECT_EQ(m_host.MessageBoxes(),
              std::vector<HostEvent>{BoxEvent(failure, AfxGetAppName(), MessageIcon::Exclamation)});
    EXPECT_EQ(Text(IDC_STATUS), failure);
    EXPECT_NE(LogText().find(LogEntry(failure) + "******Reason: "), std::string::npos) << LogText();
    EXPECT_EQ(LogText().find("Completed"), std::string::npos);
    EXPECT_NE(Text(IDC_INTRO), kCongratulations);
    EXPECT_EQ(VisibleButtons(), std::vector<int>{IDCANCEL});
    EXPECT_EQ(Text(IDCANCEL), "Cancel");
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::UploadFailed);
}

INSTANTIATE_TEST_SUITE_P(Faults, FailedUploadTest, ::testing::Values("refuse", "drop", "stall"));

TEST_F(FirmwareTransferTest, FailedAlternateUploadEndsTheRunToo)
{
    PutInStaging("boot.bin", "boot image");
    Run({"--stor-fault", "refuse:boot.bin"});
    EXPECT_EQ(Text(IDC_STATUS), "Cannot Upload C:\\varn\\ndxu511\\boot.bin as boot.bin");
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::UploadFailed);
    EXPECT_EQ(OnDevice("fw512000.bin"), PackageImage());
}

struct UnsendableAlternate {
    const char* label;
    const char* name;  // in the staging directory, and on the device
    const char* confirmation;
    void (*plant)(const std::filesystem::path&);
};

void PrintTo(const UnsendableAlternate& row, std::ostream* out) { *out << row.label; }

// An alternate that exists but is no readable regular file ends the run
// through the failed-upload path, and nothing of it is sent.
class UnsendableAlternateTest : public FirmwareTransferTest,
                                public ::testing::WithParamInterface<UnsendableAlternate> {};

TEST_P(UnsendableAlternateTest, EndsTheRunWithoutAStor)
{
    const std::filesystem::path local = StagingDirectory() / GetParam().name;
    std::filesystem::create_directories(StagingDirectory());
    GetParam().plant(local);
#ifndef _WIN32
    if (::geteuid() == 0 && ::access(local.c_str(), R_OK) == 0 && std::filesystem::is_regular_file(local))
        GTEST_SKIP() << "root reads a file of mode 000: run the tests as another user for this case";
#endif
    Run();
    const std::string failure = std::string("Cannot Upload C:\\varn\\ndxu511\\") + GetParam().name + " as " +
                                GetParam().name;
    EXPECT_EQ(Transfers(), (std::vector<std::string>{"RETR prof.bin", "STOR fw512000.bin"}));
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{GetParam().confirmation, failure}));
    EXPECT_EQ(Text(IDC_STATUS), failure);
    EXPECT_TRUE(LogText().ends_with(LogEntry(failure) + NextStepEntries(PartialImageStep(GetParam().name))));
    EXPECT_EQ(VisibleButtons(), std::vector<int>{IDCANCEL});
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::UploadFailed);
}

void PlantDirectory(const std::filesystem::path& path) { std::filesystem::create_directory(path); }
#ifndef _WIN32
// Links, FIFOs, file modes and owners: Linux cases (Windows has its own in
// tests/unit/windows/files_test.cpp).
void PlantFifo(const std::filesystem::path& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }
void PlantUnreadableFile(const std::filesystem::path& path)
{
    WriteFileText(path, "unreadable");
    std::filesystem::permissions(path, std::filesystem::perms::none);
}
#endif

const UnsendableAlternate kUnsendableAlternates[] = {
    {"ProfileIsADirectory", "prof.bin", "Alternate Prof.bin found.  Click OK to upload.", PlantDirectory},
    {"BootImageIsADirectory", "boot.bin", "Alternate Boot.bin found.  Click OK to upload.", PlantDirectory},
#ifndef _WIN32
    {"UnreadableProfile", "prof.bin", "Alternate Prof.bin found.  Click OK to upload.", PlantUnreadableFile},
    {"BootImageIsAFifo", "boot.bin", "Alternate Boot.bin found.  Click OK to upload.", PlantFifo},
#endif
};

INSTANTIATE_TEST_SUITE_P(
    Files, UnsendableAlternateTest, ::testing::ValuesIn(kUnsendableAlternates),
    [](const ::testing::TestParamInfo<UnsendableAlternate>& param) { return std::string(param.param.label); });

#ifndef _WIN32
// Links, FIFOs, file modes and owners: Linux cases (Windows has its own in
// tests/unit/windows/files_test.cpp).
TEST_F(FirmwareTransferTest, ReadmeCopyReplacesAPlantedLinkAndLeavesItsTargetAlone)
{
    const std::filesystem::path victim = m_dir / "victim.txt";
    WriteFileText(victim, "someone else's file");
    std::filesystem::create_directories(StagingDirectory());
    std::filesystem::create_symlink(victim, StagingDirectory() / "readme.txt");
    Run();
    EXPECT_EQ(ReadFileText(victim), "someone else's file");
    EXPECT_FALSE(std::filesystem::is_symlink(StagingDirectory() / "readme.txt"));
    EXPECT_EQ(ReadFileText(StagingDirectory() / "readme.txt"), ReadFileText(PackageDirectory() / "ndxuback.txt"));
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::Completed);
}

TEST_F(FirmwareTransferTest, StagingDirectoriesAreMadeForTheUserOnly)
{
    Run();
    for (const std::filesystem::path& directory : {DriveC() / "varn", StagingDirectory()}) {
        struct stat info {};
        ASSERT_EQ(::lstat(directory.c_str(), &info), 0) << directory;
        EXPECT_EQ(info.st_mode & 07777, 0700u) << directory;
    }
}
#endif

}  // namespace
