// SPDX-License-Identifier: MIT
#include "platform/files/paths.h"

#include "platform/files/windows/wide_text.h"

std::optional<std::filesystem::path> HostPathOf(const std::string& programPath)
{
    return std::filesystem::path(Utf16(programPath));
}

std::string UnmappedPathText(const std::string& programPath) { return programPath + " names no file of this system"; }

std::string ProgramPathOf(const std::filesystem::path& hostPath)
{
    std::filesystem::path path = hostPath;
    return Utf8(path.make_preferred().native());
}
