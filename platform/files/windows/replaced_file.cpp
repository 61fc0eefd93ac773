// SPDX-License-Identifier: MIT
#include "platform/files/replaced_file.h"

#include "platform/files/windows/file_handle.h"
#include "platform/files/windows/system_error_text.h"
#include "platform/files/windows/wide_text.h"

namespace {

// Fills and flushes the new file; the error code when that fails, else 0.
DWORD Fill(HANDLE file, const std::string& text)
{
    DWORD written = 0;
    if (!::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) return ::GetLastError();
    if (written != text.size()) return ERROR_DISK_FULL;
    if (!::FlushFileBuffers(file)) return ::GetLastError();
    return 0;
}

}  // namespace

std::string ReplaceFileText(const std::string& path, const std::string& text)
{
    const std::wstring target = Utf16(path);
    const std::wstring temporary =
        target + L".tmp-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(::GetTickCount64());
    DWORD error = 0;
    {
        const Handle file(
            ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) return SystemErrorText(::GetLastError());
        error = Fill(file.Get(), text);
    }
    if (error == 0 &&
        !::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = ::GetLastError();
    if (error == 0) return {};
    ::DeleteFileW(temporary.c_str());
    return SystemErrorText(error);
}
