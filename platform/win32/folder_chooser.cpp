// SPDX-License-Identifier: MIT
#include "platform/win32/folder_chooser.h"

#include <stdexcept>

#include "platform/base/win_types.h"
#include "platform/files/windows/wide_text.h"

#include <shlobj.h>

namespace {

// Opens the chooser at the directory passed in `start`.
int CALLBACK OnChooserEvent(HWND chooser, UINT event, LPARAM, LPARAM start)
{
    if (event == BFFM_INITIALIZED) SendMessageW(chooser, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}

// The chooser's dialog needs COM on this thread for as long as it is up.
class ComApartment {
public:
    ComApartment() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))
    {
        if (FAILED(m_result) && m_result != RPC_E_CHANGED_MODE)
            throw std::runtime_error("cannot start COM for the folder chooser");
    }
    ~ComApartment()
    {
        if (SUCCEEDED(m_result)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT m_result;
};

}  // namespace

std::optional<std::filesystem::path> ChooseFolder(const std::string& caption, const std::filesystem::path& start)
{
    ComApartment com;
    const std::wstring title = Utf16(caption);
    const std::wstring startDirectory = start.wstring();
    BROWSEINFOW info{};
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = &OnChooserEvent;
    info.lParam = reinterpret_cast<LPARAM>(startDirectory.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (!chosen) return std::nullopt;
    wchar_t directory[MAX_PATH] = L"";
    const BOOL isPath = SHGetPathFromIDListW(chosen, directory);
    CoTaskMemFree(chosen);
    if (!isPath) throw std::runtime_error("the chosen folder is not a directory of the file system");
    return std::filesystem::path(directory);
}
