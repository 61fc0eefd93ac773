// SPDX-License-Identifier: MIT
// Program paths on the host: drive mapping, TEMP and the current directory.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/files/environment.h"
#include "platform/files/file_services.h"
#include "platform/files/paths.h"
#include "platform/files/posix/drive_mapping.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

class PathsTest : public ::testing::Test {
protected:
    void SetUp() override { m_env.Set("NDXU_DRIVE_C", (m_dir / "drive_c").string()); }
    TempDir m_dir;
    ScopedEnv m_env;
};

// Settings of one row: unset when null; a value starting with "~/" lies in
// the test's own directory.
struct DirectorySettings {
    const char* name;
    std::vector<std::pair<const char*, const char*>> variables;
    const char* expected;  // host directory, "~/" as above
};

void PrintTo(const DirectorySettings& row, std::ostream* out) { *out << row.name; }

class DirectorySettingsTest : public PathsTest, public ::testing::WithParamInterface<DirectorySettings> {
protected:
    std::string InTestDirectory(const std::string& value)
    {
        return value.starts_with("~/") ? (m_dir / value.substr(2)).string() : value;
    }
    void Apply()
    {
        for (const char* name : {"NDXU_DRIVE_C", "XDG_DATA_HOME", "XDG_STATE_HOME", "TEMP", "TMPDIR"})
            m_env.Unset(name);
        m_env.Set("HOME", (m_dir / "home").string());
        for (const auto& [name, value] : GetParam().variables) {
            if (value)
                m_env.Set(name, InTestDirectory(value));
            else
                m_env.Unset(name);
        }
    }
};

class DriveCTest : public DirectorySettingsTest {};

TEST_P(DriveCTest, IsAPerUserDirectory)
{
    Apply();
    EXPECT_EQ(HostPathOf("C:\\varn"), std::filesystem::path(InTestDirectory(GetParam().expected)) / "varn");
    EXPECT_TRUE(std::filesystem::is_directory(InTestDirectory(GetParam().expected)));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, DriveCTest,
    ::testing::Values(
        DirectorySettings{"Configured", {{"NDXU_DRIVE_C", "~/drive"}}, "~/drive"},
        DirectorySettings{"DataHome", {{"XDG_DATA_HOME", "~/data"}}, "~/data/ndxu-upgrade/drive_c"},
        DirectorySettings{"Home", {}, "~/home/.local/share/ndxu-upgrade/drive_c"},
        DirectorySettings{"RelativeDataHomeIsIgnored", {{"XDG_DATA_HOME", "data"}},
                          "~/home/.local/share/ndxu-upgrade/drive_c"}),
    [](const ::testing::TestParamInfo<DirectorySettings>& param) { return std::string(param.param.name); });

class TemporaryDirectoryTest : public DirectorySettingsTest {};

TEST_P(TemporaryDirectoryTest, ComesFromTheHostInProgramFormAndIsNeverShared)
{
    Apply();
    char buffer[255] = "";
    const std::string expected = InTestDirectory(GetParam().expected);
    EXPECT_EQ(GetEnvironmentVariable("TEMP", buffer, sizeof buffer), ProgramPathOf(expected).size());
    EXPECT_EQ(std::string(buffer), ProgramPathOf(expected));
    if (std::string(GetParam().expected).ends_with("/ndxu-upgrade")) {
        struct stat info {};
        ASSERT_EQ(::stat(expected.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0700u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, TemporaryDirectoryTest,
    ::testing::Values(
        DirectorySettings{"Temp", {{"TEMP", "/var/tmp/user"}, {"TMPDIR", "/scratch"}}, "/var/tmp/user"},
        DirectorySettings{"Tmpdir", {{"TMPDIR", "/scratch"}}, "/scratch"},
        DirectorySettings{"StateHome", {{"XDG_STATE_HOME", "~/state"}}, "~/state/ndxu-upgrade"},
        DirectorySettings{"Home", {}, "~/home/.local/state/ndxu-upgrade"},
        DirectorySettings{"RelativeStateHomeIsIgnored", {{"XDG_STATE_HOME", "state"}},
                          "~/home/.local/state/ndxu-upgrade"}),
    [](const ::testing::TestParamInfo<DirectorySettings>& param) { return std::string(param.param.name); });

TEST_F(PathsTest, WithoutHomeVariableTheHomeComesFromThePasswordDatabase)
{
    m_env.Unset("HOME");
    const struct passwd* entry = ::getpwuid(::geteuid());
    ASSERT_NE(entry, nullptr) << "the user running the tests has no entry in the password database";
    EXPECT_EQ(UserHomeDirectory(), std::filesystem::path(entry->pw_dir));
}

// Runs in a child process as a user without an entry in the password
// database and without HOME: nothing may fall back to a shared directory.
// Returns the first failed check's text, or empty.
std::string CheckUserWithoutHome()
{
    if (::setgid(4242) != 0 || ::setuid(4242) != 0) return "cannot become user 4242";
    if (::getpwuid(4242)) return "user 4242 has an entry in the password database";
    for (const char* name : {"HOME", "NDXU_DRIVE_C", "XDG_DATA_HOME", "XDG_STATE_HOME", "TEMP", "TMPDIR"})
        ::unsetenv(name);
    char buffer[255] = "";
    if (UserHomeDirectory()) return "a home directory was found";
    if (HostPathOf("C:\\varn\\ndxu511\\prod.bin")) return "drive C: was mapped";
    if (PathExists("C:\\varn\\ndxu511\\prod.bin")) return "a file on drive C: was found";
    if (CreateDirectoryEx("C:\\", "C:\\varn", nullptr)) return "a directory on drive C: was made";
    if (ReadableFileProblem("C:\\varn\\ndxu511\\prod.bin", EmptyFile::Refused) != kNoDriveCText)
        return "the reason does not say that no home directory is known";
    if (GetEnvironmentVariable("TEMP", buffer, sizeof buffer) != 0) return std::string("TEMP is ") + buffer;
    return {};
}

TEST_F(PathsTest, UserWithoutHomeGetsNoDriveCAndNoTemporaryDirectory)
{
    if (::geteuid() != 0) GTEST_SKIP() << "only root can become a user without an entry in the password database";
    EXPECT_EXIT(
        {
            const std::string failure = CheckUserWithoutHome();
            std::fprintf(stderr, "%s", failure.c_str());
            std::_Exit(failure.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
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

TEST_F(PathsTest, TempEndingInASeparatorGivesADoubledBackslashThatStillResolves)
{
    char buffer[255] = "";
    m_env.Set("TEMP", "/var/tmp/");
    GetEnvironmentVariable("TEMP", buffer, sizeof buffer);
    std::string logPath = std::string(buffer) + "\\ndxulog.txt";
    EXPECT_EQ(logPath, "Z:\\var\\tmp\\\\ndxulog.txt");
    EXPECT_EQ(HostPathOf(logPath), std::filesystem::path("/var/tmp/ndxulog.txt"));
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
    struct stat info {};
    ASSERT_EQ(::stat((m_dir / "drive_c" / "varn").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);

    WriteFileText(m_dir / "pkg" / "ndxuback.txt", "first");
    std::string source = ProgramPathOf(m_dir / "pkg") + "\\ndxuback.txt";
    EXPECT_TRUE(CopyFile(source, "C:\\varn\\readme.txt", FALSE));
    WriteFileText(m_dir / "pkg" / "ndxuback.txt", "second");
    EXPECT_TRUE(CopyFile(source, "C:\\varn\\readme.txt", FALSE));
    EXPECT_EQ(ReadFileText(m_dir / "drive_c" / "varn" / "readme.txt"), "second");
    EXPECT_FALSE(CopyFile(source, "C:\\varn\\readme.txt", TRUE));
    EXPECT_EQ(ReadFileText(m_dir / "drive_c" / "varn" / "readme.txt"), "second");
    EXPECT_FALSE(CopyFile("C:\\varn\\missing.txt", "C:\\varn\\other.txt", FALSE));
    EXPECT_FALSE(CopyFile(ProgramPathOf(m_dir / "pkg"), "C:\\varn\\other.txt", FALSE));
    EXPECT_EQ(std::vector<std::filesystem::path>(std::filesystem::directory_iterator(m_dir / "drive_c" / "varn"), {}),
              std::vector<std::filesystem::path>{m_dir / "drive_c" / "varn" / "readme.txt"});
}

TEST_F(PathsTest, CopyReplacesALinkAtTheTargetInsteadOfWritingThroughIt)
{
    WriteFileText(m_dir / "victim.txt", "someone else's file");
    WriteFileText(m_dir / "pkg" / "ndxuback.txt", "copy");
    std::filesystem::create_directories(m_dir / "drive_c");
    std::filesystem::create_symlink(m_dir / "victim.txt", m_dir / "drive_c" / "readme.txt");
    EXPECT_TRUE(CopyFile(ProgramPathOf(m_dir / "pkg") + "\\ndxuback.txt", "C:\\readme.txt", FALSE));
    EXPECT_EQ(ReadFileText(m_dir / "victim.txt"), "someone else's file");
    EXPECT_FALSE(std::filesystem::is_symlink(m_dir / "drive_c" / "readme.txt"));
    EXPECT_EQ(ReadFileText(m_dir / "drive_c" / "readme.txt"), "copy");
}

}  // namespace
