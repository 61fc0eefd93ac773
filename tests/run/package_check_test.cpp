// SPDX-License-Identifier: MIT
// The package check before the device is touched: a package that cannot be
// used, or a staging directory that is not the user's own, ends the run
// before the first request, with the reason in the log.
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/ui/win_app.h"
#include "res/resource.h"
#include "tests/support/device_fixture.h"
#include "tests/support/scoped_env.h"

namespace {

namespace fs = std::filesystem;

struct PackageCase {
    const char* name;
    // Plants the files: gets the package and the staging directory.
    std::function<void(const fs::path& package, const fs::path& staging)> plant;
    const char* image;   // as "Cannot find" names it
    const char* reason;  // the log entry after it
    bool needsRoot = false;     // to give a file to another user
    bool needsNonRoot = false;  // root reads a file of mode 000
};

void PrintTo(const PackageCase& row, std::ostream* out) { *out << row.name; }

class PackageCheckTest : public DeviceTest, public ::testing::WithParamInterface<PackageCase> {
protected:
    void RunCase()
    {
        StartDevice();
        StartWizard();
        RunWith(kDeviceAddress, "");
    }
};

TEST_P(PackageCheckTest, EndsTheRunBeforeTheDeviceIsTouched)
{
    const PackageCase& row = GetParam();
#ifndef _WIN32
    if (row.needsRoot && ::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    if (row.needsNonRoot && ::geteuid() == 0) GTEST_SKIP() << "root reads a file of mode 000";
#endif
    row.plant(PackageDirectory(), StagingDirectory());
    RunCase();

    const std::string failure = std::string("Cannot find ") + row.image;
    EXPECT_TRUE(LogText().ends_with(LogEntry("Server Specified: 127.0.0.1") + LogEntry(failure) +
                                    LogEntry(std::string("Reason: ") + row.reason)))
        << LogText();
    EXPECT_EQ(m_host.Events(), (std::vector<HostEvent>{StatusEvent(failure),
                                                       BoxEvent(failure, AfxGetAppName(), MessageIcon::None)}));
    EXPECT_TRUE(Device().HttpRequests().empty());
    EXPECT_TRUE(Device().FtpCommands().empty());
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::PackageRefused);
    for (int id : {IDC_CONTINUE, IDCANCEL, IDC_ADDRESS, IDC_PASSWORD}) EXPECT_TRUE(Visible(id)) << id;
}

void PutFile(const fs::path& path, const std::string& content) { WriteFileText(path, content); }

#ifndef _WIN32
// Links, file modes and owners: Linux cases (Windows has its own in
// tests/unit/windows/files_test.cpp).
constexpr uid_t kOtherUser = 4242;

void GiveToOtherUser(const fs::path& path) { ASSERT_EQ(::lchown(path.c_str(), kOtherUser, kOtherUser), 0) << path; }
#endif

const PackageCase kPackageCases[] = {
    {"StartedOutsideThePackage",
     [](const fs::path& package, const fs::path&) { fs::remove_all(package / "fw512000.bin"); },
     "fw512000.bin", "No such file or directory"},
    {"EmptyImage",
     [](const fs::path& package, const fs::path&) { PutFile(package / "fw512000.bin", ""); },
     "fw512000.bin", "the file is empty"},
    {"ImageIsADirectory",
     [](const fs::path& package, const fs::path&) {
         fs::remove(package / "fw512000.bin");
         fs::create_directory(package / "fw512000.bin");
     },
     "fw512000.bin", "not a regular file"},
    {"EmptyAlternateImage",
     [](const fs::path&, const fs::path& staging) { PutFile(staging / "prod.bin", ""); },
     "C:\\varn\\ndxu511\\prod.bin", "the file is empty"},
#ifndef _WIN32
    {"ImageIsADanglingLink",
     [](const fs::path& package, const fs::path&) {
         fs::remove(package / "fw512000.bin");
         fs::create_symlink(package / "gone.bin", package / "fw512000.bin");
     },
     "fw512000.bin", "No such file or directory"},
    {"UnreadableImage",
     [](const fs::path& package, const fs::path&) {
         fs::permissions(package / "fw512000.bin", fs::perms::none);
     },
     "fw512000.bin", "Permission denied", false, true},
    {"StagingIsAnotherUsersLink",
     [](const fs::path& package, const fs::path& staging) {
         PutFile(package / "planted" / "prod.bin", "another user's image");
         fs::create_directories(staging.parent_path());
         fs::create_directory_symlink(package / "planted", staging);
     },
     "C:\\varn\\ndxu511\\prod.bin", "C:\\varn\\ndxu511 is a symbolic link"},
    {"ProfileHistoryIsALink",
     [](const fs::path& package, const fs::path& staging) {
         fs::create_directories(package / "elsewhere");
         fs::create_directories(staging);
         fs::create_directory_symlink(package / "elsewhere", staging / "history");
     },
     "fw512000.bin", "C:\\varn\\ndxu511\\history is a symbolic link"},
    {"StagingWritableByOthers",
     [](const fs::path&, const fs::path& staging) {
         fs::create_directories(staging);
         fs::permissions(staging, fs::perms::others_write, fs::perm_options::add);
     },
     "fw512000.bin", "C:\\varn\\ndxu511 is writable by group or others"},
    {"StagingParentWritableByGroup",
     [](const fs::path&, const fs::path& staging) {
         fs::create_directories(staging);
         fs::permissions(staging.parent_path(), fs::perms::group_write, fs::perm_options::add);
     },
     "fw512000.bin", "C:\\varn is writable by group or others"},
    {"StagingOfAnotherUserWithAPlantedImage",
     [](const fs::path&, const fs::path& staging) {
         PutFile(staging / "prod.bin", "another user's image");
         GiveToOtherUser(staging);
     },
     "C:\\varn\\ndxu511\\prod.bin", "C:\\varn\\ndxu511 is owned by another user", true},
    {"StagingParentOfAnotherUser",
     [](const fs::path&, const fs::path& staging) {
         fs::create_directories(staging);
         GiveToOtherUser(staging.parent_path());
     },
     "fw512000.bin", "C:\\varn is owned by another user", true},
#endif
};

INSTANTIATE_TEST_SUITE_P(
    Packages, PackageCheckTest, ::testing::ValuesIn(kPackageCases),
    [](const ::testing::TestParamInfo<PackageCase>& param) { return std::string(param.param.name); });

TEST_F(PackageCheckTest, ContinueCanBePressedAgainOnceThePackageIsThere)
{
    fs::remove(PackageDirectory() / "fw512000.bin");
    RunCase();
    ASSERT_EQ(Wizard().LastRunEnd(), RunEnd::PackageRefused);

    WriteFileText(PackageDirectory() / "fw512000.bin", "image");
    RunWith(kDeviceAddress, "");
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::Completed);
    EXPECT_EQ(ReadFileText(Device().FtpRoot() / "fw512000.bin"), "image");
}

// The window's runs follow the same package policy and log the versions
// they weigh, but flash every device they are pointed at.
TEST_F(PackageCheckTest, TheWindowRefusesAnUnsignedPackageWhenTheSettingRequiresASignature)
{
    ScopedEnv env;
    env.Set("NDXU_REQUIRE_SIGNATURE", "1");
    RunCase();
    const std::string failure = "Package Signature Not Valid: the package is not signed, and a signature is required";
    EXPECT_EQ(m_host.Events(), (std::vector<HostEvent>{StatusEvent(failure),
                                                       BoxEvent(failure, AfxGetAppName(), MessageIcon::None)}));
    EXPECT_TRUE(Device().HttpRequests().empty());
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::PackageRefused);
}

TEST_F(PackageCheckTest, TheWindowFlashesADeviceAlreadyOnThePackagesVersion)
{
    StartDevice({"--firmware-version", "5.1.2"});
    StartWizard();
    RunWith(kDeviceAddress, "");
    EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::Completed);
    EXPECT_TRUE(LogHas("Firmware Version: 5.1.2"));
    EXPECT_TRUE(LogHas("Package Version: 5.1.2 (from the program's texts)"));
    EXPECT_TRUE(fs::exists(Device().FtpRoot() / "fw512000.bin"));
}

}  // namespace
