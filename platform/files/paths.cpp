#include "platform/files/paths.h"

#include <cctype>
#include <cstdlib>

namespace {

std::filesystem::path DriveCDirectory()
{
    if (const char* drive = std::getenv("NDXU_DRIVE_C"); drive && *drive) return drive;
    std::filesystem::path data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        data = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        data = std::filesystem::path(home) / ".local" / "share";
    else
        data = "/tmp";
    return data / "ndxu-upgrade" / "drive_c";
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

std::filesystem::path DriveCRoot()
{
    std::filesystem::path root = DriveCDirectory();
    std::error_code ec;
    std::filesystem::create_directories(root, ec);
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

std::string ProgramPathOf(const std::filesystem::path& hostPath)
{
    std::string text = hostPath.string();
    for (char& c : text)
        if (c == '/') c = '\\';
    return "Z:" + text;
}
