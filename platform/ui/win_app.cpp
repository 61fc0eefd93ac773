// SPDX-License-Identifier: MIT
#include "platform/ui/win_app.h"

#include "platform/ui/dialog.h"
#include "platform/ui/host.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(const char* appName) : m_appName(appName ? appName : ExecutableBaseName())
{
    g_app = this;
    AfxSetAppName(m_appName.c_str());
}

CWinApp::~CWinApp()
{
    if (g_app != this) return;
    g_app = nullptr;
    AfxSetAppName(nullptr);
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

void AfxSetWaitCursor() { AfxGetHost().SetWaitCursor(); }
