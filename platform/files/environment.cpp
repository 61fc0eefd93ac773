#include "platform/files/environment.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/files/paths.h"

namespace {

std::string HostTemporaryDirectory()
{
    for (const char* name : {"TEMP", "TMPDIR"}) {
        if (const char* value = std::getenv(name); value && *value) return value;
    }
    return "/tmp";
}

// A host path becomes a program path; a value already in program form stays.
std::string AsProgramPath(const std::string& value)
{
    return !value.empty() && value[0] == '/' ? ProgramPathOf(value) : value;
}

DWORD CopyOut(const std::string& value, char* buffer, DWORD size)
{
    if (value.size() + 1 > size) return static_cast<DWORD>(value.size() + 1);
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    return static_cast<DWORD>(value.size());
}

}  // namespace

DWORD GetEnvironmentVariable(const char* name, char* buffer, DWORD size)
{
    if (std::strcmp(name, "TEMP") == 0) return CopyOut(AsProgramPath(HostTemporaryDirectory()), buffer, size);
    const char* value = std::getenv(name);
    if (!value) return 0;
    return CopyOut(value, buffer, size);
}

DWORD GetCurrentDirectory(DWORD size, char* buffer)
{
    std::error_code ec;
    std::filesystem::path current = std::filesystem::current_path(ec);
    if (ec) return 0;
    return CopyOut(ProgramPathOf(current), buffer, size);
}
