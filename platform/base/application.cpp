// SPDX-License-Identifier: MIT
#include "platform/base/application.h"

#include <filesystem>
#include <optional>
#include <stdexcept>

namespace {
std::optional<std::string> g_appName;
AppMessageBoxEntry g_messageBox = nullptr;
}  // namespace

std::string AfxGetAppName() { return g_appName ? *g_appName : ExecutableBaseName(); }

void AfxSetAppName(const char* name)
{
    if (name)
        g_appName = name;
    else
        g_appName.reset();
}

std::string ExecutableBaseName()
{
#ifdef _WIN32
    wchar_t name[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, name, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return {};
    std::filesystem::path exe(name);
#else
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
#endif
    return exe.stem().string();
}

void AfxSetMessageBoxEntry(AppMessageBoxEntry entry) { g_messageBox = entry; }

int AfxMessageBox(const std::string& text, UINT type)
{
    if (!g_messageBox) throw std::logic_error("no window host has been set");
    return g_messageBox(text, type);
}
