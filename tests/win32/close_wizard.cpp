// SPDX-License-Identifier: MIT
// Starts the wizard program on a package directory of its own, waits for its
// window, presses Escape in it as a user would, and checks that the program
// then ends by itself with exit status 0.
//   close-wizard WIZARD.exe
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "platform/base/win_types.h"

namespace {

constexpr wchar_t kCaption[] = L"Varn Halvex Lan Modem Upgrade Wizard";
constexpr int kContinueId = 1002;
constexpr DWORD kWaitMilliseconds = 30'000;

struct Search {
    DWORD processId;
    HWND window = nullptr;
};

BOOL CALLBACK FindWizard(HWND window, LPARAM search)
{
    auto& s = *reinterpret_cast<Search*>(search);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t caption[64] = L"";
    GetWindowTextW(window, caption, 64);
    if (owner != s.processId || !IsWindowVisible(window) || std::wstring(caption) != kCaption) return TRUE;
    s.window = window;
    return FALSE;
}

HWND WaitForWizard(DWORD processId, HANDLE process)
{
    for (DWORD waited = 0; waited < kWaitMilliseconds; waited += 100) {
        Search search{processId};
        EnumWindows(&FindWizard, reinterpret_cast<LPARAM>(&search));
        if (search.window) return search.window;
        if (WaitForSingleObject(process, 100) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}

int Fail(const std::string& why)
{
    std::cerr << "close-wizard: " << why << '\n';
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) return Fail("usage: close-wizard WIZARD.exe");
    const std::filesystem::path wizard = std::filesystem::path(argv[1]).make_preferred();
    const std::filesystem::path package = std::filesystem::temp_directory_path() / "close-wizard-package";
    std::filesystem::create_directories(package);
    std::ofstream(package / "fw512000.bin") << "image";
    std::ofstream(package / "ndxuback.txt") << "notes\n";

    std::wstring commandLine = L"\"" + wizard.wstring() + L"\" \"" + package.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(wizard.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return Fail("cannot start " + wizard.string() + ": error " + std::to_string(GetLastError()));
    CloseHandle(started.hThread);

    HWND window = WaitForWizard(started.dwProcessId, started.hProcess);
    if (!window) {
        TerminateProcess(started.hProcess, 1);
        return Fail("the wizard's window did not appear");
    }
    // Continue has the focus: Escape goes to it, and the dialog manager
    // makes it the Cancel command.
    HWND focus = GetDlgItem(window, kContinueId);
    PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageW(focus, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0000001));
    if (WaitForSingleObject(started.hProcess, kWaitMilliseconds) != WAIT_OBJECT_0) {
        TerminateProcess(started.hProcess, 1);
        return Fail("the wizard did not end after Escape");
    }
    DWORD code = 0;
    GetExitCodeProcess(started.hProcess, &code);
    CloseHandle(started.hProcess);
    std::filesystem::remove_all(package);
    if (code != 0) return Fail("the wizard ended with exit status " + std::to_string(code));
    std::cout << "close-wizard: the wizard ended with exit status 0 after Escape\n";
    return 0;
}
