// SPDX-License-Identifier: MIT
#include "platform/files/environment.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "platform/files/text_buffer.h"
#include "platform/files/windows/environment_variable.h"
#include "platform/files/windows/wide_text.h"

namespace {

// TEMP as set, else the system's temporary directory of the user (TMP,
// USERPROFILE, ...), without the separator that GetTempPath puts at its end.
std::optional<std::wstring> TemporaryDirectory()
{
    if (std::optional<std::wstring> temp = EnvironmentVariable(L"TEMP"); temp && !temp->empty()) return temp;
    wchar_t path[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, path);
    if (length == 0 || length > MAX_PATH) return std::nullopt;
    std::wstring directory(path, length);
    if (directory.size() > 3 && directory.back() == L'\\') directory.pop_back();
    return directory;
}

}  // namespace

DWORD GetEnvironmentVariable(const char* name, char* buffer, DWORD size)
{
    const std::optional<std::wstring> value =
        std::strcmp(name, "TEMP") == 0 ? TemporaryDirectory() : EnvironmentVariable(Utf16(name).c_str());
    return value ? CopyToBuffer(Utf8(*value), buffer, size) : 0;
}

// Through the C runtime, which keeps its own copy of the environment
// (getenv) in step with the system's.
BOOL SetEnvironmentVariable(const char* name, const char* value)
{
    return ::_wputenv_s(Utf16(name).c_str(), value ? Utf16(value).c_str() : L"") == 0 ? TRUE : FALSE;
}

DWORD GetCurrentDirectory(DWORD size, char* buffer)
{
    const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return 0;
    std::wstring current(needed, L'\0');
    const DWORD length = ::GetCurrentDirectoryW(needed, current.data());
    if (length == 0 || length >= needed) return 0;
    current.resize(length);
    return CopyToBuffer(Utf8(current), buffer, size);
}

BOOL SetCurrentDirectory(const char* path) { return ::SetCurrentDirectoryW(Utf16(path).c_str()); }
