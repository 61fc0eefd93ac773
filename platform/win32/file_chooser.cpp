// SPDX-License-Identifier: MIT
#include "platform/win32/file_chooser.h"

#include "platform/base/win_types.h"
#include "platform/files/windows/wide_text.h"

#include <commdlg.h>

std::optional<std::filesystem::path> ChooseProfileFile(const std::string& caption, const std::filesystem::path& start)
{
    const std::wstring title = Utf16(caption);
    const std::wstring startDirectory = start.wstring();
    // Pairs of a name and a pattern, each ended by a zero, and a zero after them.
    constexpr wchar_t kFilter[] = L"Profile backups (profback-*.bin)\0profback-*.bin\0All files (*.*)\0*.*\0";
    wchar_t file[MAX_PATH] = L"";
    OPENFILENAMEW info{};
    info.lStructSize = sizeof info;
    info.lpstrFilter = kFilter;
    info.lpstrFile = file;
    info.nMaxFile = MAX_PATH;
    info.lpstrInitialDir = startDirectory.c_str();
    info.lpstrTitle = title.c_str();
    info.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&info)) return std::nullopt;
    return std::filesystem::path(file);
}
