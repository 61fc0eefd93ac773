// SPDX-License-Identifier: MIT
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

#include "platform/process/posix/process_parts.h"

int SignalOf(StopRequest request)
{
    switch (request) {
    case StopRequest::Interrupt: return SIGINT;
    case StopRequest::Terminate: return SIGTERM;
    case StopRequest::HangUp: return SIGHUP;
    }
    return SIGTERM;
}

int ExitStatusFor(StopRequest request) { return 128 + SignalOf(request); }

StopRequests::StopRequests() : m_impl(std::make_unique<Impl>())
{
    sigemptyset(&m_impl->held);
    sigaddset(&m_impl->held, SIGINT);
    sigaddset(&m_impl->held, SIGTERM);
    sigaddset(&m_impl->held, SIGHUP);
    // Blocked signals stay pending until the descriptor is read.
    ::sigprocmask(SIG_BLOCK, &m_impl->held, &m_impl->before);
    m_impl->signals = ::signalfd(-1, &m_impl->held, SFD_NONBLOCK | SFD_CLOEXEC);
    if (m_impl->signals < 0) {
        const int error = errno;
        ::sigprocmask(SIG_SETMASK, &m_impl->before, nullptr);
        throw std::runtime_error(std::string("cannot watch for SIGINT, SIGTERM and SIGHUP: ") + std::strerror(error));
    }
}

StopRequests::~StopRequests()
{
    ::close(m_impl->signals);
    ::sigprocmask(SIG_SETMASK, &m_impl->before, nullptr);
}

std::optional<StopRequest> StopRequests::Take()
{
    signalfd_siginfo info{};
    if (::read(m_impl->signals, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) return std::nullopt;
    switch (info.ssi_signo) {
    case SIGINT: return StopRequest::Interrupt;
    case SIGHUP: return StopRequest::HangUp;
    default: return StopRequest::Terminate;
    }
}
