// The FTP phases end to end against the simulator: staging, the profile
// backup, the firmware and alternate uploads, the completion screen, and
// every way these phases can end.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/files/paths.h"
#include "platform/ui/resources.h"
#include "platform/ui/win_app.h"
#include "res/resource.h"
#include "tests/support/device_fixture.h"

namespace {

const char kCongratulations[] =
    "Congratulations!  Your firmware is now upgraded to 5.1.2.  Click on EXIT to leave the Halvex\u00ae LAN "
    "Modem Upgrade Wizard.";

class FirmwareTransferTest : public DeviceTest {
protected:
    void Run(std::vector<std::string> deviceOptions = {})
    {
        StartDevice(std::move(deviceOptions));
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

    bool LogHas(const std::string& text) { return LogText().find(LogEntry(text)) != std::string::npos; }

    std::vector<int> VisibleButtons()
    {
        std::vector<int> ids;
        for (const Control& control : Wizard().Controls())
            if (control.kind() == ControlKind::PushButton && control.visible) ids.push_back(control.id());
        return ids;
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
    std::string expectedTail =
        LogEntry("FTP Server Started") + LogEntry("Opening FTP Session...") + LogEntry("Upgrading Firmware") +
        LogEntry("Copying ndxuback.txt from package to " + staging + "\\readme.txt") +
        LogEntry("Backing up old profile...") + LogEntry("Profile Saved") +
        LogEntry("Checking for alternate prod.bin") +
        LogEntry("Upgrading Firmware...  This will take about a minute...") +
        LogEntry("Checking for alternate prof.bin") + LogEntry("Checking for alternate boot.bin") +
        LogEntry("Resetting the Halvex LAN Modem") + LogEntry("Firwmware Upgrade Completed");
    EXPECT_TRUE(LogText().ends_with(expectedTail)) << LogText();
}

TEST_F(FirmwareTransferTest, FtpCommandsAreAnAnonymousLoginAndActiveTransfers)
{
    Run();
    std::vector<std::string> names;
    for (const std::string& command : Device().FtpCommands()) names.push_back(command.substr(0, command.find(' ')));
    EXPECT_EQ(std::count(names.begin(), names.end(), "USER"), 1);
    EXPECT_EQ(Device().FtpCommands().front(), "USER anonymous");
    EXPECT_EQ(std::count(names.begin(), names.end(), "PORT"), 2);
    for (const char* passive : {"PASV", "EPSV", "EPRT"}) EXPECT_EQ(std::count(names.begin(), names.end(), passive), 0);
    // Each transfer opens its data connection with PORT (a TYPE may stand
    // between them).
    names.erase(std::remove(names.begin(), names.end(), "TYPE"), names.end());
    auto retr = std::find(names.begin(), names.end(), "RETR");
    auto stor = std::find(names.begin(), names.end(), "STOR");
    ASSERT_TRUE(retr != names.end() && stor != names.end());
    EXPECT_LT(retr, stor);
    EXPECT_EQ(*(retr - 1), "PORT");
    EXPECT_EQ(*(stor - 1), "PORT");
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

TEST_F(FirmwareTransferTest, MissingImageStopsBeforeAnyUploadWithNoButtonLeft)
{
    std::filesystem::remove(PackageDirectory() / "fw512000.bin");
    Run();
    EXPECT_EQ(Transfers(), std::vector<std::string>{"RETR prof.bin"});
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Cannot find fw512000.bin"});
    EXPECT_EQ(Text(IDC_STATUS), "Cannot find fw512000.bin");
    EXPECT_TRUE(LogText().ends_with(LogEntry("Cannot find fw512000.bin")));
    EXPECT_TRUE(VisibleButtons().empty());
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::LateFailure);
}

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
    EXPECT_EQ(ReadFileText(StagingDirectory() / "profback.bin"), OnDevice("prof.bin"));
    EXPECT_NE(OnDevice("prof.bin"), "old backup");
}

TEST_F(FirmwareTransferTest, FailedProfileDownloadKeepsTheOldBackup)
{
    PutInStaging("profback.bin", "old backup");
    Run({"--no-profile"});
    EXPECT_EQ(ReadFileText(StagingDirectory() / "profback.bin"), "old backup");
    for (const auto& entry : std::filesystem::directory_iterator(StagingDirectory()))
        EXPECT_TRUE(entry.path().filename() == "profback.bin" || entry.path().filename() == "readme.txt")
            << entry.path();
}

TEST_F(FirmwareTransferTest, RefusedFtpConnectionShowsOneStopBoxAndKeepsTheInputs)
{
    Run({"--ftp", "off"});
    EXPECT_EQ(m_host.MessageBoxes(),
              std::vector<HostEvent>{BoxEvent("A connection with the server could not be established",
                                              AfxGetAppName(), MessageIcon::Stop)});
    EXPECT_TRUE(LogText().ends_with(LogEntry("Opening FTP Session...")));
    EXPECT_EQ(Text(IDC_STATUS), "Opening FTP Session...");
    for (int id : {IDC_CONTINUE, IDCANCEL, IDC_ADDRESS, IDC_PASSWORD}) EXPECT_TRUE(Visible(id)) << id;
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::LateFailure);
}

TEST_F(FirmwareTransferTest, RefusedFtpLoginShowsTheServersAnswer)
{
    Run({"--ftp", "refuse-login"});
    ASSERT_EQ(m_host.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_host.MessageBoxes()[0].icon, MessageIcon::Stop);
    EXPECT_TRUE(m_host.MessageBoxes()[0].text.starts_with("530")) << m_host.MessageBoxes()[0].text;
}

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
    Run();
    EXPECT_TRUE(LogHas("Cannot Copy Z:\\\\ndxuback.txt to C:\\varn\\ndxu511\\readme.txt"));
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
    EXPECT_TRUE(LogText().ends_with(LogEntry(failure)));
    EXPECT_EQ(LogText().find("Completed"), std::string::npos);
    EXPECT_NE(Text(IDC_INTRO), kCongratulations);
    EXPECT_EQ(VisibleButtons(), std::vector<int>{IDCANCEL});
    EXPECT_EQ(Text(IDCANCEL), "Cancel");
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::LateFailure);
}

INSTANTIATE_TEST_SUITE_P(Faults, FailedUploadTest, ::testing::Values("refuse", "drop", "stall"));

TEST_F(FirmwareTransferTest, FailedAlternateUploadEndsTheRunToo)
{
    PutInStaging("boot.bin", "boot image");
    Run({"--stor-fault", "refuse:boot.bin"});
    EXPECT_EQ(Text(IDC_STATUS), "Cannot Upload C:\\varn\\ndxu511\\boot.bin as boot.bin");
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::LateFailure);
    EXPECT_EQ(OnDevice("fw512000.bin"), PackageImage());
}

}  // namespace
