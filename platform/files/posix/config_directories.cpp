// SPDX-License-Identifier: MIT
#include "platform/files/config_directories.h"

#include <cstdlib>

#include "platform/files/posix/drive_mapping.h"

namespace {

constexpr char kProgramDirectory[] = "ndxu-upgrade";

}  // namespace

std::optional<std::filesystem::path> SystemConfigDirectory()
{
    if (const char* relocated = std::getenv("NDXU_SYSTEM_CONFIG_DIR"); relocated && *relocated) return relocated;
    return std::filesystem::path("/etc") / kProgramDirectory;
}

std::optional<std::filesystem::path> UserConfigDirectory()
{
    std::optional<std::filesystem::path> config = XdgDirectory("XDG_CONFIG_HOME", ".config");
    if (!config) return std::nullopt;
    return *config / kProgramDirectory;
}
