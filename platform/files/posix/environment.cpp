// SPDX-License-Identifier: MIT
#include "platform/files/environment.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/files/paths.h"
#include "platform/files/posix/drive_mapping.h"
#include "platform/files/text_buffer.h"

namespace {

// The user's own state directory for the program, made private when it is
// made. The run log lives there unless TEMP or TMPDIR names another place:
// a shared directory such as /tmp would let another user pre-create, read or
// redirect the log.
std::optional<std::string> PrivateStateDirectory()
{
    std::optional<std::filesystem::path> state = XdgDirectory("XDG_STATE_HOME", ".local/state");
    if (!state) return std::nullopt;
    const std::filesystem::path directory = *state / "ndxu-upgrade";
    std::error_code ec;
    std::filesystem::create_directories(*state, ec);
    ::mkdir(directory.c_str(), 0700);
    return directory.string();
}

std::optional<std::string> HostTemporaryDirectory()
{
    for (const char* name : {"TEMP", "TMPDIR"}) {
        if (const char* value = std::getenv(name); value && *value) return value;
    }
    return PrivateStateDirectory();
}

// A host path becomes a program path; a value already in program form stays.
std::string AsProgramPath(const std::string& value)
{
    return !value.empty() && value[0] == '/' ? ProgramPathOf(value) : value;
}

}  // namespace

DWORD GetEnvironmentVariable(const char* name, char* buffer, DWORD size)
{
    if (std::strcmp(name, "TEMP") == 0) {
        std::optional<std::string> temporary = HostTemporaryDirectory();
        return temporary ? CopyToBuffer(AsProgramPath(*temporary), buffer, size) : 0;
    }
    const char* value = std::getenv(name);
    if (!value) return 0;
    return CopyToBuffer(value, buffer, size);
}

DWORD GetCurrentDirectory(DWORD size, char* buffer)
{
    std::error_code ec;
    std::filesystem::path current = std::filesystem::current_path(ec);
    if (ec) return 0;
    return CopyToBuffer(ProgramPathOf(current), buffer, size);
}

BOOL SetEnvironmentVariable(const char* name, const char* value)
{
    const int result = value ? ::setenv(name, value, 1) : ::unsetenv(name);
    return result == 0 ? TRUE : FALSE;
}

BOOL SetCurrentDirectory(const char* path) { return ::chdir(path) == 0 ? TRUE : FALSE; }
