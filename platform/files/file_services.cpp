#include "platform/files/file_services.h"

#include <filesystem>
#include <optional>

#include "platform/files/paths.h"

namespace fs = std::filesystem;

BOOL CreateDirectoryEx(const std::string&, const std::string& newDirectory, const void*)
{
    std::optional<fs::path> path = HostPathOf(newDirectory);
    if (!path) return FALSE;
    std::error_code ec;
    return fs::create_directory(*path, ec) ? TRUE : FALSE;
}

BOOL CopyFile(const std::string& existingFile, const std::string& newFile, BOOL failIfExists)
{
    std::optional<fs::path> from = HostPathOf(existingFile);
    std::optional<fs::path> to = HostPathOf(newFile);
    if (!from || !to) return FALSE;
    std::error_code ec;
    if (!fs::is_regular_file(*from, ec)) return FALSE;
    fs::copy_options options = failIfExists ? fs::copy_options::none : fs::copy_options::overwrite_existing;
    return fs::copy_file(*from, *to, options, ec) ? TRUE : FALSE;
}

bool PathExists(const std::string& path)
{
    std::optional<fs::path> hostPath = HostPathOf(path);
    std::error_code ec;
    return hostPath && fs::exists(*hostPath, ec);
}
