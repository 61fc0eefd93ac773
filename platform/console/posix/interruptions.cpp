// SPDX-License-Identifier: MIT
#include "platform/console/interruptions.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <thread>
#include <utility>

namespace {

constexpr int kExitInterruptedBase = 128;

sigset_t InterruptionSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

}  // namespace

// SIGINT and SIGTERM are blocked in this thread and every thread started
// after it, and taken by a thread of their own.
void HandleInterruptions(std::function<void(const Interruption&)> handler)
{
    const sigset_t signals = InterruptionSignals();
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([signals, handler = std::move(handler)] {
        int signal = 0;
        if (::sigwait(&signals, &signal) != 0) return;
        const Interruption interruption{signal == SIGINT ? "SIGINT" : "SIGTERM", kExitInterruptedBase + signal};
        handler(interruption);
        ::_exit(interruption.exitStatus);
    }).detach();
}
