// SPDX-License-Identifier: MIT
#include <mutex>

#include "platform/process/windows/process_parts.h"

namespace {

constexpr int kExitInterrupted = 130;  // as for SIGINT
constexpr int kExitTerminated = 143;   // as for SIGTERM
constexpr int kExitHungUp = 129;       // as for SIGHUP, which Windows never sends

// The requests of the one StopRequests that holds them (a program that runs
// one thread has one).
StopRequests::Impl* g_holder = nullptr;
std::mutex g_holderMutex;

// Ctrl-C is an interrupt; Ctrl-Break and the console's closing ask the
// program to end. The system calls this on a thread of its own.
BOOL WINAPI HoldRequest(DWORD event)
{
    const std::lock_guard<std::mutex> lock(g_holderMutex);
    if (!g_holder) return FALSE;
    {
        const std::lock_guard<std::mutex> requests(g_holder->mutex);
        g_holder->arrived.push_back(event == CTRL_C_EVENT ? StopRequest::Interrupt : StopRequest::Terminate);
    }
    ::SetEvent(ActivityEvent());
    return TRUE;
}

}  // namespace

int ExitStatusFor(StopRequest request)
{
    switch (request) {
    case StopRequest::Interrupt: return kExitInterrupted;
    case StopRequest::Terminate: return kExitTerminated;
    case StopRequest::HangUp: return kExitHungUp;
    }
    return kExitTerminated;
}

StopRequests::StopRequests() : m_impl(std::make_unique<Impl>())
{
    {
        const std::lock_guard<std::mutex> lock(g_holderMutex);
        g_holder = m_impl.get();
    }
    ::SetConsoleCtrlHandler(HoldRequest, TRUE);
}

StopRequests::~StopRequests()
{
    ::SetConsoleCtrlHandler(HoldRequest, FALSE);
    const std::lock_guard<std::mutex> lock(g_holderMutex);
    g_holder = nullptr;
}

std::optional<StopRequest> StopRequests::Take()
{
    const std::lock_guard<std::mutex> lock(m_impl->mutex);
    if (m_impl->arrived.empty()) return std::nullopt;
    const StopRequest request = m_impl->arrived.front();
    m_impl->arrived.pop_front();
    return request;
}
