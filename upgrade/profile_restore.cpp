// SPDX-License-Identifier: MIT
#include "upgrade/profile_restore.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <tuple>
#include <vector>

#include "log/run_log.h"
#include "platform/files/file_services.h"
#include "platform/files/paths.h"

namespace {

namespace fs = std::filesystem;

std::nullopt_t Refuse(WizardPage& page, const std::string& text, const std::string& reason)
{
    page.LogAndShow(text);
    page.GiveReason(reason);
    page.ShowFailure(text, MessageIcon::Exclamation);
    page.ShowCancelAsDefault();
    return std::nullopt;
}

// "profback-20261209T170000Z-2.bin" -> ("20261209T170000Z", 2); the first of
// a second has no number and comes before the second.
std::optional<std::tuple<std::string, int>> BackupOrder(const std::string& name)
{
    constexpr std::string_view prefix = "profback-", suffix = ".bin";
    if (!name.starts_with(prefix) || !name.ends_with(suffix) || name.size() < prefix.size() + suffix.size() + 16)
        return std::nullopt;
    const std::string stamp = name.substr(prefix.size(), 16);
    const std::string rest = name.substr(prefix.size() + 16, name.size() - prefix.size() - 16 - suffix.size());
    if (rest.empty()) return std::tuple{stamp, 1};
    if (rest.size() < 2 || rest[0] != '-' ||
        !std::all_of(rest.begin() + 1, rest.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
        return std::nullopt;
    return std::tuple{stamp, std::stoi(rest.substr(1))};
}

// The newest backup in the history directory, as a program path.
std::optional<std::string> NewestBackup(const std::string& directory)
{
    const std::optional<fs::path> hostDirectory = HostPathOf(directory);
    if (!hostDirectory) return std::nullopt;
    std::optional<std::tuple<std::string, int>> newest;
    std::string newestName;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(*hostDirectory, error)) {
        const std::string name = entry.path().filename().string();
        const auto order = BackupOrder(name);
        if (order && entry.is_regular_file(error) && (!newest || *order > *newest)) {
            newest = order;
            newestName = name;
        }
    }
    if (!newest) return std::nullopt;
    return directory + "\\" + newestName;
}

bool LiesIn(const std::string& file, const std::string& directory)
{
    const std::optional<fs::path> hostFile = HostPathOf(file);
    const std::optional<fs::path> hostDirectory = HostPathOf(directory);
    std::error_code error;
    return hostFile && hostDirectory && fs::equivalent(hostFile->parent_path(), *hostDirectory, error);
}

}  // namespace

std::optional<std::string> ProfileToRestore(WizardPage& page, const DeviceHistory& history)
{
    const std::string& wanted = page.Options().restoreProfile;
    std::optional<std::string> profile = wanted;
    if (wanted == kLatestProfile) {
        profile = history.problem.empty() ? NewestBackup(history.directory) : std::nullopt;
        if (!profile)
            return Refuse(page, "No Profile Kept in " + history.directory,
                          history.problem.empty() ? "the history holds no backup of the profile" : history.problem);
    } else if (!page.Options().restoreAnyFile && !LiesIn(wanted, history.directory)) {
        return Refuse(page, "Profile Not from the History of the LAN Modem: " + wanted,
                      "a profile from outside " + history.directory + " is restored only with --force");
    }
    if (const std::optional<std::string> problem = ReadableFileProblem(*profile, EmptyFile::Refused))
        return Refuse(page, "Cannot find " + *profile, *problem);
    WriteLogLine("Profile to Restore: " + *profile);
    return profile;
}
