// SPDX-License-Identifier: MIT
#include "platform/ui/win_app.h"

#include <filesystem>

#include "platform/ui/dialog.h"
#include "platform/ui/host.h"
#include "platform/ui/shown_text.h"

namespace {
CWinApp* g_app = nullptr;
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

CWinApp::CWinApp(const char* appName) : m_appName(appName ? appName : ExecutableBaseName())
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this) g_app = nullptr;
}

int CWinApp::Run()
{
    m_nExitCode = AfxGetHost().RunMessageLoop();
    return ExitInstance();
}

int AfxWinMain(CWinApp& app)
{
    if (!app.InitInstance()) return app.ExitInstance();
    return app.Run();
}

CDialog* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }

std::string AfxGetAppName() { return g_app ? g_app->AppName() : ExecutableBaseName(); }

int AfxMessageBox(const std::string& text, UINT type)
{
    MessageIcon icon = MessageIcon::Exclamation;
    if ((type & MB_ICONMASK) == MB_ICONSTOP) icon = MessageIcon::Stop;
    return AfxGetHost().MessageBox(AfxGetMainWnd(), AfxShownText(text), AfxGetAppName(), icon);
}

void AfxSetWaitCursor() { AfxGetHost().SetWaitCursor(); }
