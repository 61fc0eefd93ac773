// SPDX-License-Identifier: MIT
// The files layer on Windows: real drive paths, TEMP from the system, private
// directories and copies, trusted files and the settings directories, the
// run log in the system's text form, and file locks.
// <windows.h> before the system's other headers.
#include "platform/base/windows_headers.h"

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <iterator>

#include "log/run_log.h"
#include "platform/files/config_directories.h"
#include "platform/files/environment.h"
#include "platform/files/file_lock.h"
#include "platform/files/file_services.h"
#include "platform/files/paths.h"
#include "platform/files/trusted_files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

class WindowsFilesTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return ProgramPathOf(m_dir / name); }
    TempDir m_dir;
    ScopedEnv m_env;
};

std::string Temp()
{
    char buffer[MAX_PATH] = "";
    const DWORD length = GetEnvironmentVariable("TEMP", buffer, sizeof buffer);
    return std::string(buffer, length);
}

// Gives `path` an access list that lets everyone do anything with it.
void OpenToEveryone(const std::filesystem::path& path)
{
    PSECURITY_DESCRIPTOR open = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;FA;;;WD)", SDDL_REVISION_1, &open,
                                                                       nullptr));
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL everyone = nullptr;
    ::GetSecurityDescriptorDacl(open, &present, &everyone, &defaulted);
    EXPECT_EQ(::SetNamedSecurityInfoW(path.wstring().data(), SE_FILE_OBJECT,
                                      DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                      everyone, nullptr),
              static_cast<DWORD>(ERROR_SUCCESS));
    ::LocalFree(open);
}

TEST_F(WindowsFilesTest, ProgramPathsAreTheSystemsOwn)
{
    EXPECT_EQ(HostPathOf("C:\\varn\\ndxu511"), std::filesystem::path("C:\\varn\\ndxu511"));
    EXPECT_EQ(ProgramPathOf("C:/varn/ndxu511"), "C:\\varn\\ndxu511");
}

TEST_F(WindowsFilesTest, TempIsTheVariableElseTheSystemsTemporaryDirectory)
{
    m_env.Set("TEMP", "D:\\temp\\");
    EXPECT_EQ(Temp(), "D:\\temp\\");

    m_env.Unset("TEMP");
    wchar_t system[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, system);
    ASSERT_GT(length, 1u);
    EXPECT_EQ(Temp() + "\\", ProgramPathOf(std::wstring(system, length)));
}

TEST_F(WindowsFilesTest, DirectoriesAreMadeForTheUserOnly)
{
    ASSERT_TRUE(CreateDirectoryEx("C:\\", Path("staging"), nullptr));
    EXPECT_FALSE(CreateDirectoryEx("C:\\", Path("staging"), nullptr));
    EXPECT_EQ(PrivateDirectoryProblem(Path("staging")), std::nullopt);
    EXPECT_EQ(PrivateDirectoryProblem(Path("missing")), std::nullopt);

    // A directory that everyone may write to is refused.
    std::filesystem::create_directory(m_dir / "shared");
    OpenToEveryone(m_dir / "shared");
    EXPECT_EQ(PrivateDirectoryProblem(Path("shared")), Path("shared") + " is writable by other users");
    WriteFileText(m_dir / "file", "not a directory");
    EXPECT_EQ(PrivateDirectoryProblem(Path("file")), Path("file") + " is not a directory");
}

TEST_F(WindowsFilesTest, TrustedFilesAreReadWhenNobodyElseMayWriteThem)
{
    const std::filesystem::path keys = m_dir / "trusted-keys";
    const std::filesystem::path key = keys / "packager.pub";
    EXPECT_EQ(TrustedDirectoryProblem(keys), std::nullopt);
    std::filesystem::create_directory(keys);
    WriteFileText(key, "untrusted comment: packager\r\nRWQ=\r\n");
    EXPECT_EQ(TrustedDirectoryProblem(keys), std::nullopt);
    const TrustedFileText read = ReadTrustedFile(key, 4096);
    EXPECT_EQ(read.problem, "");
    EXPECT_EQ(read.text, "untrusted comment: packager\r\nRWQ=\r\n");

    EXPECT_EQ(ReadTrustedFile(key, 10).problem, key.string() + " is larger than 10 bytes");
    EXPECT_EQ(ReadTrustedFile(keys / "missing.pub", 4096).problem,
              (keys / "missing.pub").string() + ": No such file or directory");
    EXPECT_EQ(ReadTrustedFile(keys, 4096).problem, keys.string() + " is not a regular file");
    EXPECT_EQ(TrustedDirectoryProblem(key), key.string() + " is not a directory");

    OpenToEveryone(key);
    EXPECT_EQ(ReadTrustedFile(key, 4096).problem, key.string() + " is writable by other users");
    OpenToEveryone(keys);
    EXPECT_EQ(TrustedDirectoryProblem(keys), keys.string() + " is writable by other users");
}

TEST_F(WindowsFilesTest, SettingsLieInProgramDataAndAppData)
{
    m_env.Set("ProgramData", "C:\\ProgramData");
    m_env.Set("APPDATA", "C:\\Users\\ana\\AppData\\Roaming");
    m_env.Unset("NDXU_SYSTEM_CONFIG_DIR");
    EXPECT_EQ(SystemConfigDirectory(), std::filesystem::path("C:\\ProgramData\\ndxu-upgrade"));
    EXPECT_EQ(UserConfigDirectory(), std::filesystem::path("C:\\Users\\ana\\AppData\\Roaming\\ndxu-upgrade"));

    m_env.Set("NDXU_SYSTEM_CONFIG_DIR", "D:\\relocated");
    EXPECT_EQ(SystemConfigDirectory(), std::filesystem::path("D:\\relocated"));

    m_env.Unset("NDXU_SYSTEM_CONFIG_DIR");
    m_env.Unset("ProgramData");
    m_env.Unset("APPDATA");
    EXPECT_EQ(SystemConfigDirectory(), std::nullopt);
    EXPECT_EQ(UserConfigDirectory(), std::nullopt);
}

TEST_F(WindowsFilesTest, CopiesReplaceTheTargetUnlessItMustNotExist)
{
    WriteFileText(m_dir / "ndxuback.txt", "first");
    EXPECT_TRUE(CopyFile(Path("ndxuback.txt"), Path("readme.txt"), FALSE));
    WriteFileText(m_dir / "ndxuback.txt", "second");
    EXPECT_TRUE(CopyFile(Path("ndxuback.txt"), Path("readme.txt"), FALSE));
    EXPECT_FALSE(CopyFile(Path("ndxuback.txt"), Path("readme.txt"), TRUE));
    EXPECT_FALSE(CopyFile(Path("missing.txt"), Path("other.txt"), FALSE));
    EXPECT_FALSE(CopyFile(ProgramPathOf(m_dir.path()), Path("other.txt"), FALSE));
    EXPECT_EQ(ReadFileText(m_dir / "readme.txt"), "second");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.path()), {}), 2);
}

TEST_F(WindowsFilesTest, LogLinesEndWithCarriageReturnAndLineFeedOnTheDisk)
{
    ASSERT_EQ(OpenRunLog(Path("ndxulog.txt")), 0);
    WriteLogLine("<html>\nlast line</html>");
    EXPECT_EQ(ReadFileText(m_dir / "ndxulog.txt"),
              "******<html>\r\nlast line</html>\r\n***************************************************\r\n");
}

TEST_F(WindowsFilesTest, AFileLockKeepsOthersOutWhoStillReadItsHolder)
{
    const std::string path = Path("run.lock");
    {
        FileLock first(path);
        ASSERT_TRUE(first.Held()) << first.Problem();
        EXPECT_EQ(first.Write("process 1 (a test) since now\n"), "");
        FileLock second(path);
        EXPECT_FALSE(second.Held());
        EXPECT_TRUE(second.Busy()) << second.Problem();
        EXPECT_EQ(second.Text(200), "process 1 (a test) since now\n");
        EXPECT_EQ(first.Write("process 2\n"), "");
        EXPECT_EQ(second.Text(200), "process 2\n");
        EXPECT_NE(second.Write("taken over\n"), "");
    }
    // The holder is gone: its text stays, its lock does not.
    FileLock third(path);
    EXPECT_TRUE(third.Held()) << third.Problem();
    EXPECT_EQ(third.Text(200), "process 2\n");
}

}  // namespace
