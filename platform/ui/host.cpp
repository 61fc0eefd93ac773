// SPDX-License-Identifier: MIT
#include "platform/ui/host.h"

#include <stdexcept>

#include "platform/base/application.h"
#include "platform/ui/win_app.h"

namespace {

Host* g_host = nullptr;

// The application message box on the host, owned by the main window.
int HostMessageBox(const std::string& text, UINT type)
{
    MessageIcon icon = MessageIcon::Exclamation;
    if ((type & MB_ICONMASK) == MB_ICONSTOP) icon = MessageIcon::Stop;
    return AfxGetHost().MessageBox(AfxGetMainWnd(), text, AfxGetAppName(), icon);
}

}  // namespace

void AfxSetHost(Host* host)
{
    g_host = host;
    AfxSetMessageBoxEntry(&HostMessageBox);
}

Host& AfxGetHost()
{
    if (!g_host) throw std::logic_error("no window host has been set");
    return *g_host;
}

void AfxKeepPainted()
{
    if (g_host) g_host->KeepPainted();
}
