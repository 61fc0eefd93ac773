// Program paths on the host: drive mapping, TEMP and the current directory.
#include <gtest/gtest.h>

#include "platform/files/environment.h"
#include "platform/files/file_services.h"
#include "platform/files/paths.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

class PathsTest : public ::testing::Test {
protected:
    void SetUp() override { m_env.Set("NDXU_DRIVE_C", (m_dir / "drive_c").string()); }
    TempDir m_dir;
    ScopedEnv m_env;
};

TEST_F(PathsTest, DriveCIsTheConfiguredDirectory)
{
    EXPECT_EQ(HostPathOf("C:\\varn\\ndxu511\\readme.txt"), m_dir / "drive_c" / "varn" / "ndxu511" / "readme.txt");
    EXPECT_TRUE(std::filesystem::is_directory(m_dir / "drive_c"));
}

TEST_F(PathsTest, DriveCDefaultsToTheUsersDataDirectory)
{
    m_env.Unset("NDXU_DRIVE_C");
    m_env.Set("XDG_DATA_HOME", (m_dir / "data").string());
    EXPECT_EQ(HostPathOf("C:\\varn"), m_dir / "data" / "ndxu-upgrade" / "drive_c" / "varn");

    m_env.Unset("XDG_DATA_HOME");
    m_env.Set("HOME", (m_dir / "home").string());
    EXPECT_EQ(HostPathOf("c:\\"), m_dir / "home" / ".local" / "share" / "ndxu-upgrade" / "drive_c");
}

TEST_F(PathsTest, DoubledSeparatorOfADriveRootMeansOne)
{
    EXPECT_EQ(HostPathOf("Z:\\\\ndxuback.txt"), std::filesystem::path("/ndxuback.txt"));
    EXPECT_EQ(HostPathOf("Z:\\tmp\\\\ndxulog.txt"), std::filesystem::path("/tmp/ndxulog.txt"));
}

TEST_F(PathsTest, PathWithoutDriveLiesOnTheCurrentDrive)
{
    EXPECT_EQ(HostPathOf("\\ndxulog.txt"), std::filesystem::path("/ndxulog.txt"));
    EXPECT_EQ(HostPathOf("fw512000.bin"), std::filesystem::path("fw512000.bin"));
}

TEST_F(PathsTest, UnmappedDrivesAndSharesHaveNoHostPath)
{
    EXPECT_EQ(HostPathOf("D:\\UPGRADE\\ndxuback.txt"), std::nullopt);
    EXPECT_EQ(HostPathOf("\\\\server\\share\\file"), std::nullopt);
    EXPECT_FALSE(PathExists("D:\\UPGRADE"));
}

TEST_F(PathsTest, HostPathsArePresentedOnDriveZ)
{
    EXPECT_EQ(ProgramPathOf("/tmp"), "Z:\\tmp");
    EXPECT_EQ(ProgramPathOf("/"), "Z:\\");
    EXPECT_EQ(ProgramPathOf("/home/user/pkg"), "Z:\\home\\user\\pkg");
}

TEST_F(PathsTest, TempComesFromTheHostInProgramForm)
{
    char buffer[255] = "";
    m_env.Set("TEMP", "/var/tmp/user");
    EXPECT_EQ(GetEnvironmentVariable("TEMP", buffer, sizeof buffer), 15u);
    EXPECT_STREQ(buffer, "Z:\\var\\tmp\\user");
}

TEST_F(PathsTest, TempEndingInASeparatorGivesADoubledBackslashThatStillResolves)
{
    char buffer[255] = "";
    m_env.Set("TEMP", "/var/tmp/");
    GetEnvironmentVariable("TEMP", buffer, sizeof buffer);
    std::string logPath = std::string(buffer) + "\\ndxulog.txt";
    EXPECT_EQ(logPath, "Z:\\var\\tmp\\\\ndxulog.txt");
    EXPECT_EQ(HostPathOf(logPath), std::filesystem::path("/var/tmp/ndxulog.txt"));
}

TEST_F(PathsTest, UnsetTempFallsBackToTmpdirThenTmp)
{
    char buffer[255] = "";
    m_env.Unset("TEMP");
    m_env.Set("TMPDIR", "/scratch");
    GetEnvironmentVariable("TEMP", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "Z:\\scratch");

    m_env.Unset("TMPDIR");
    GetEnvironmentVariable("TEMP", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "Z:\\tmp");
}

TEST_F(PathsTest, ValueTooLongForTheBufferLeavesItAsItWas)
{
    char buffer[255] = "";
    m_env.Set("TEMP", "/" + std::string(300, 't'));
    EXPECT_EQ(GetEnvironmentVariable("TEMP", buffer, sizeof buffer), 2u + 1 + 300 + 1);
    EXPECT_STREQ(buffer, "");
}

TEST_F(PathsTest, UnsetVariableGivesZero)
{
    char buffer[16] = "";
    m_env.Unset("NDXU_NOT_SET");
    EXPECT_EQ(GetEnvironmentVariable("NDXU_NOT_SET", buffer, sizeof buffer), 0u);
}

TEST_F(PathsTest, CurrentDirectoryIsPresentedOnDriveZ)
{
    ScopedCurrentDirectory cwd(m_dir.path().string());
    char buffer[255] = "";
    DWORD length = GetCurrentDirectory(sizeof buffer, buffer);
    EXPECT_EQ(std::string(buffer), ProgramPathOf(m_dir.path()));
    EXPECT_EQ(length, std::string(buffer).size());
}

TEST_F(PathsTest, CurrentDirectoryLongerThanTheBufferLeavesItEmpty)
{
    std::filesystem::path deep = m_dir.path();
    while (deep.string().size() < 300) deep /= std::string(40, 'd');
    std::filesystem::create_directories(deep);
    ScopedCurrentDirectory cwd(deep.string());
    char buffer[255] = "";
    EXPECT_GT(GetCurrentDirectory(sizeof buffer, buffer), 255u);
    EXPECT_STREQ(buffer, "");
}

TEST_F(PathsTest, DirectoriesAndCopiesGoThroughTheMapping)
{
    EXPECT_TRUE(CreateDirectoryEx("C:\\", "C:\\varn", nullptr));
    EXPECT_FALSE(CreateDirectoryEx("C:\\", "C:\\varn", nullptr));
    EXPECT_TRUE(PathExists("C:\\varn"));

    WriteFileText(m_dir / "pkg" / "ndxuback.txt", "first");
    std::string source = ProgramPathOf(m_dir / "pkg") + "\\ndxuback.txt";
    EXPECT_TRUE(CopyFile(source, "C:\\varn\\readme.txt", FALSE));
    WriteFileText(m_dir / "pkg" / "ndxuback.txt", "second");
    EXPECT_TRUE(CopyFile(source, "C:\\varn\\readme.txt", FALSE));
    EXPECT_EQ(ReadFileText(m_dir / "drive_c" / "varn" / "readme.txt"), "second");
    EXPECT_FALSE(CopyFile(source, "C:\\varn\\readme.txt", TRUE));
    EXPECT_FALSE(CopyFile("C:\\varn\\missing.txt", "C:\\varn\\other.txt", FALSE));
}

}  // namespace
