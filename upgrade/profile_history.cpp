// SPDX-License-Identifier: MIT
#include "upgrade/profile_history.h"

#include <cstdio>

#include "platform/files/file_services.h"
#include "upgrade/device_file_name.h"
#include "upgrade/package_staging.h"

namespace {

constexpr char kDriveRoot[] = "C:\\";

// "20261208T153000Z".
std::string UtcStamp(std::chrono::system_clock::time_point when)
{
    using namespace std::chrono;
    const sys_days day = floor<days>(when);
    const year_month_day date{day};
    const hh_mm_ss<seconds> time{floor<seconds>(when - day)};
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02u%02uT%02ld%02ld%02lldZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<long>(time.hours().count()), static_cast<long>(time.minutes().count()),
                  static_cast<long long>(time.seconds().count()));
    return stamp;
}

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
