// SPDX-License-Identifier: MIT
#include "platform/console/interruptions.h"

#include <cstdlib>
#include <mutex>
#include <utility>

#include "platform/base/windows_headers.h"

namespace {

constexpr int kExitInterrupted = 130;  // as for SIGINT
constexpr int kExitTerminated = 143;   // as for SIGTERM

std::function<void(const Interruption&)> g_handler;
std::once_flag g_first;

// The system calls this on a thread of its own for each console event.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    const Interruption interruption = event == CTRL_C_EVENT ? Interruption{"SIGINT", kExitInterrupted}
                                                            : Interruption{"SIGTERM", kExitTerminated};
    std::call_once(g_first, [&] {
        g_handler(interruption);
        std::_Exit(interruption.exitStatus);
    });
    return TRUE;
}

}  // namespace

void HandleInterruptions(std::function<void(const Interruption&)> handler)
{
    g_handler = std::move(handler);
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}
