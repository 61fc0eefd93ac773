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
    sigaddset(&signals, SIGHUP);
    return signals;
}

const char* NameOf(int signal)
{
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGHUP: return "SIGHUP";
    default: return "SIGTERM";
    }
}

}  // namespace

// SIGINT, SIGTERM and SIGHUP are blocked in this thread and every thread
// started after it, and taken one at a time by a thread of their own.
void HandleInterruptions(std::function<bool(const Interruption&)> handler)
{
    const sigset_t signals = InterruptionSignals();
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([signals, handler = std::move(handler)] {
        int signal = 0;
        while (::sigwait(&signals, &signal) == 0) {
            const Interruption interruption{NameOf(signal), kExitInterruptedBase + signal, signal == SIGHUP, true};
            if (handler(interruption)) EndInterrupted(interruption.exitStatus);
        }
    }).detach();
}

void EndInterrupted(int exitStatus) { ::_exit(exitStatus); }
