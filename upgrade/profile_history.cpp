// SPDX-License-Identifier: MIT
#include "upgrade/profile_history.h"

#include "platform/files/file_services.h"
#include "upgrade/device_file_name.h"
#include "upgrade/package_staging.h"
#include "upgrade/utc_time.h"

namespace {

constexpr char kDriveRoot[] = "C:\\";


// Makes `directory` when it is missing; why it is not ours, or not there.
std::optional<std::string> MakePrivateDirectory(const std::string& directory)
{
    CreateDirectoryEx(kDriveRoot, directory, nullptr);
    if (std::optional<std::string> problem = PrivateDirectoryProblem(directory)) return problem;
    if (!PathExists(directory)) return directory + " could not be made";
    return std::nullopt;
}

std::string HistoryPath(const std::string& name) { return std::string(kHistoryDirectory) + "\\" + name; }

// The history kept under the address's own name moves to `directory` when
// that is not there yet; the directory it moved from, if it did.
std::string MoveFormerHistory(const std::string& address, const std::string& directory)
{
    const std::string former = HistoryPath(DeviceFileName(address));
    if (former == directory || PathExists(directory) || !PathExists(former)) return {};
    if (PrivateDirectoryProblem(former) || !MoveFile(former, directory)) return {};
    return former;
}

}  // namespace

std::optional<std::string> HistoryDirectoryProblem() { return PrivateDirectoryProblem(kHistoryDirectory); }

DeviceHistory OpenDeviceHistory(const DeviceIdentity& identity, const std::string& address)
{
    const std::string directory = HistoryPath(DeviceDirectoryName(identity));
    MakeStagingDirectory();
    std::optional<std::string> problem = StagingDirectoryProblem();
    if (!problem) problem = MakePrivateDirectory(kHistoryDirectory);
    std::string movedFrom;
    if (!problem) movedFrom = MoveFormerHistory(address, directory);
    if (!problem) problem = MakePrivateDirectory(directory);
    return {directory, problem.value_or(""), movedFrom};
}

std::string HistoryFileName(const std::string& directory, std::chrono::system_clock::time_point when, int n)
{
    const std::string suffix = n > 1 ? std::string(1, '-') + std::to_string(n) : std::string();
    return directory + "\\profback-" + UtcStamp(when) + suffix + ".bin";
}
