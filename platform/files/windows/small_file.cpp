// SPDX-License-Identifier: MIT
#include "platform/files/small_file.h"

#include <array>

#include "platform/files/windows/file_handle.h"
#include "platform/files/windows/system_error_text.h"
#include "platform/files/windows/wide_text.h"

namespace {

SmallFile Problem(std::string problem) { return {std::nullopt, std::move(problem)}; }

std::string TooLarge(std::size_t limit) { return "it is larger than " + std::to_string(limit) + " bytes"; }

// Reads to the end, or until more than `limit` bytes came.
SmallFile ReadAll(HANDLE file, std::size_t limit)
{
    std::string text;
    std::array<char, 65536> buffer{};
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            const DWORD error = ::GetLastError();
            // A pipe whose writer is gone has ended.
            if (error == ERROR_BROKEN_PIPE) return {std::move(text), {}};
            return Problem(SystemErrorText(error));
        }
        if (got == 0) return {std::move(text), {}};
        text.append(buffer.data(), got);
        if (text.size() > limit) return Problem(TooLarge(limit));
    }
}

}  // namespace

// Windows has no FIFOs in its file system: a named pipe is read as any pipe,
// so the writer's wait does not apply.
SmallFile ReadSmallFile(const std::string& path, std::size_t limit, std::chrono::seconds)
{
    const std::wstring name = Utf16(path);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Problem("it is a directory");
    const Handle file(::CreateFileW(name.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return Problem(SystemErrorText(::GetLastError()));
    if (::GetFileType(file.Get()) == FILE_TYPE_CHAR) return Problem("it is a device, not a file");
    LARGE_INTEGER size{};
    if (::GetFileType(file.Get()) == FILE_TYPE_DISK && ::GetFileSizeEx(file.Get(), &size) &&
        static_cast<unsigned long long>(size.QuadPart) > limit)
        return Problem(TooLarge(limit));
    return ReadAll(file.Get(), limit);
}
