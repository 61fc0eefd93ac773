// SPDX-License-Identifier: MIT
#include "upgrade/package_staging.h"

#include "log/run_log.h"
#include "platform/files/environment.h"
#include "platform/files/file_services.h"
#include "platform/ui/win_app.h"

namespace {
constexpr char kDriveRoot[] = "C:\\";
constexpr char kParentDirectory[] = "C:\\varn";
constexpr DWORD kCurrentDirectoryBuffer = 255;
}  // namespace

std::optional<std::string> StagingDirectoryProblem()
{
    if (std::optional<std::string> problem = PrivateDirectoryProblem(kParentDirectory)) return problem;
    return PrivateDirectoryProblem(kStagingDirectory);
}

void MakeStagingDirectory()
{
    CreateDirectoryEx(kDriveRoot, kParentDirectory, nullptr);
    CreateDirectoryEx(kDriveRoot, kStagingDirectory, nullptr);
}

std::string StagePackage()
{
    MakeStagingDirectory();
    const std::string readmePath = std::string(kStagingDirectory) + "\\readme.txt";

    char packageDirectory[kCurrentDirectoryBuffer] = "";
    // A directory too long for the buffer leaves it empty (the call returns
    // the size it needs): that is no directory either, and nothing is copied
    // from the root in its place.
    const DWORD length = GetCurrentDirectory(kCurrentDirectoryBuffer, packageDirectory);
    const bool known = length != 0 && length < kCurrentDirectoryBuffer;
    if (!known) AfxMessageBox("Get Current Directory Error occurred", MB_OK);
    const std::string sourcePath = std::string(packageDirectory) + "\\ndxuback.txt";

    WriteLogLine("Copying ndxuback.txt from package to " + readmePath);
    if (!known || StagingDirectoryProblem() || !CopyFile(sourcePath, readmePath, FALSE)) {
        std::string text = "Cannot Copy " + sourcePath + " to " + readmePath;
        WriteLogLine(text);
        AfxMessageBox(text, MB_OK);
    }
    return kStagingDirectory;
}
