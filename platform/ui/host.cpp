// SPDX-License-Identifier: MIT
#include "platform/ui/host.h"

#include <stdexcept>

namespace {
Host* g_host = nullptr;
}

void AfxSetHost(Host* host) { g_host = host; }

Host& AfxGetHost()
{
    if (!g_host) throw std::logic_error("no window host has been set");
    return *g_host;
}

void AfxKeepPainted()
{
    if (g_host) g_host->KeepPainted();
}
