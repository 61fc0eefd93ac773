// SPDX-License-Identifier: MIT
#include "platform/files/config_directories.h"

#include <string>

#include "platform/files/windows/environment_variable.h"

namespace {

constexpr wchar_t kProgramDirectory[] = L"ndxu-upgrade";

// The variable's value; none when it is not set or empty.
std::optional<std::wstring> NonEmptyVariable(const wchar_t* name)
{
    std::optional<std::wstring> value = EnvironmentVariable(name);
    if (value && value->empty()) return std::nullopt;
    return value;
}

// `kProgramDirectory` inside the directory the variable names.
std::optional<std::filesystem::path> ProgramDirectoryIn(const wchar_t* name)
{
    const std::optional<std::wstring> directory = NonEmptyVariable(name);
    if (!directory) return std::nullopt;
    return std::filesystem::path(*directory) / kProgramDirectory;
}

}  // namespace

std::optional<std::filesystem::path> SystemConfigDirectory()
{
    if (std::optional<std::wstring> relocated = NonEmptyVariable(L"NDXU_SYSTEM_CONFIG_DIR"))
        return std::filesystem::path(*relocated);
    return ProgramDirectoryIn(L"ProgramData");
}

std::optional<std::filesystem::path> UserConfigDirectory() { return ProgramDirectoryIn(L"APPDATA"); }
