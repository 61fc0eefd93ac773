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

std::string AlternateImagePath() { return std::string(kStagingDirectory) + "\\prod.bin"; }

std::optional<std::string> StagingDirectoryProblem()
{
    if (std::optional<std::string> problem = PrivateDirectoryProblem(kParentDirectory)) return problem;
    return PrivateDirectoryProblem(kStagingDirectory);
}

std::string StagePackage()
{
    CreateDirectoryEx(kDriveRoot, kParentDirectory, nullptr);
    CreateDirectoryEx(kDriveRoot, kStagingDirectory, nullptr);
    const std::string readmePath = std::string(kStagingDirectory) + "\\readme.txt";

    char packageDirectory[kCurrentDirectoryBuffer] = "";
    if (GetCurrentDirectory(kCurrentDirectoryBuffer, packageDirectory) == 0)
        AfxMessageBox("Get Current Directory Error occurred", MB_OK);
    const std::string sourcePath = std::string(packageDirectory) + "\\ndxuback.txt";

    WriteLogLine("Copying ndxuback.txt from package to " + readmePath);
    if (StagingDirectoryProblem() || !CopyFile(sourcePath, readmePath, FALSE)) {
        std::string text = "Cannot Copy " + sourcePath + " to " + readmePath;
        WriteLogLine(text);
        AfxMessageBox(text, MB_OK);
    }
    return kStagingDirectory;
}
