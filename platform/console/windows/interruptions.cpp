// SPDX-License-Identifier: MIT
#include "platform/console/interruptions.h"

#include <cstdlib>
#include <mutex>
#include <utility>

#include "platform/base/windows_headers.h"

namespace {

constexpr int kExitInterrupted = 130;  // as for SIGINT
constexpr int kExitTerminated = 143;   // as for SIGTERM

std::function<bool(const Interruption&)> g_handler;
std::mutex g_handling;

// The system calls this on a thread of its own for each console event. A
// closed console, a logoff or a shutdown give the program a few seconds
// only: those end it at once, as SIGTERM.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    const bool mayWait = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
    const Interruption interruption = event == CTRL_C_EVENT ? Interruption{"SIGINT", kExitInterrupted, false, true}
                                                            : Interruption{"SIGTERM", kExitTerminated, false, mayWait};
    const std::lock_guard<std::mutex> lock(g_handling);
    if (g_handler(interruption)) EndInterrupted(interruption.exitStatus);
    return TRUE;
}

}  // namespace

void HandleInterruptions(std::function<bool(const Interruption&)> handler)
{
    g_handler = std::move(handler);
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void EndInterrupted(int exitStatus) { std::_Exit(exitStatus); }
