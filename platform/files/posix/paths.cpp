// SPDX-License-Identifier: MIT
#include "platform/files/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/files/posix/drive_mapping.h"

namespace {

// The home directory of the effective user in the password database.
std::optional<std::filesystem::path> PasswordDatabaseHome()
{
    long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    int error = 0;
    while ((error = ::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (error != 0 || !found || !found->pw_dir || found->pw_dir[0] != '/') return std::nullopt;
    return std::filesystem::path(found->pw_dir);
}

bool IsCDrive(std::string_view path)
{
    return path.size() >= 2 && (path[0] == 'C' || path[0] == 'c') && path[1] == ':';
}

std::optional<std::filesystem::path> DriveCDirectory()
{
    if (const char* drive = std::getenv("NDXU_DRIVE_C"); drive && *drive) return drive;
    std::optional<std::filesystem::path> data = XdgDirectory("XDG_DATA_HOME", ".local/share");
    if (!data) return std::nullopt;
    return *data / "ndxu-upgrade" / "drive_c";
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Appends the names of `rest` to `base`, skipping empty names, so that a
// doubled separator means the same as a single one.
std::filesystem::path AppendNames(std::filesystem::path base, std::string_view rest)
{
    std::size_t pos = 0;
    while (pos <= rest.size()) {
        std::size_t end = pos;
        while (end < rest.size() && !IsSeparator(rest[end])) ++end;
        std::string_view name = rest.substr(pos, end - pos);
        if (!name.empty() && name != ".") base /= std::string(name);
        pos = end + 1;
    }
    return base;
}

std::optional<std::filesystem::path> DriveRoot(char letter)
{
    switch (std::toupper(static_cast<unsigned char>(letter))) {
    case 'C': return DriveCRoot();
    case 'Z': return std::filesystem::path("/");
    default: return std::nullopt;
    }
}

}  // namespace

std::optional<std::filesystem::path> UserHomeDirectory()
{
    if (const char* home = std::getenv("HOME"); home && home[0] == '/') return std::filesystem::path(home);
    return PasswordDatabaseHome();
}

std::optional<std::filesystem::path> XdgDirectory(const char* variable, const std::filesystem::path& fallback)
{
    if (const char* value = std::getenv(variable); value && value[0] == '/') return std::filesystem::path(value);
    std::optional<std::filesystem::path> home = UserHomeDirectory();
    if (!home) return std::nullopt;
    return *home / fallback;
}

std::optional<std::filesystem::path> DriveCRoot()
{
    std::optional<std::filesystem::path> root = DriveCDirectory();
    if (!root) return std::nullopt;
    std::error_code ec;
    std::filesystem::create_directories(*root, ec);
    return root;
}

std::optional<std::filesystem::path> HostPathOf(const std::string& programPath)
{
    std::string_view path = programPath;
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
        std::optional<std::filesystem::path> root = DriveRoot(path[0]);
        if (!root) return std::nullopt;
        return AppendNames(*root, path.substr(2));
    }
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return std::nullopt;
    if (!path.empty() && IsSeparator(path[0])) return AppendNames("/", path);
    return AppendNames({}, path);
}

std::string UnmappedPathText(const std::string& programPath)
{
    if (IsCDrive(programPath)) return kNoDriveCText;
    return programPath + " names no file of this system";
}

std::string ProgramPathOf(const std::filesystem::path& hostPath)
{
    std::string text = hostPath.string();
    for (char& c : text)
        if (c == '/') c = '\\';
    return "Z:" + text;
}
