// SPDX-License-Identifier: MIT
// SIGINT (Ctrl-C), SIGTERM and SIGHUP while a program watches its children:
// instead of ending the program, each is kept as a request that the program
// takes when it is ready (WaitForChildren wakes up for one). Windows has no
// hang-up: a console that is closed asks to end (Terminate), as Ctrl-Break.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

class ChildProcess;

enum class StopRequest {
    Interrupt,  // SIGINT, Ctrl-C
    Terminate,  // SIGTERM
    HangUp,     // SIGHUP: the terminal is gone; it asks nothing to stop
};

// 128 + the signal's number: 130 for an interrupt, 143 for a termination,
// 129 for a hang-up.
int ExitStatusFor(StopRequest request);

class StopRequests {
public:
    // From here on, SIGINT, SIGTERM and SIGHUP are held as requests. Only
    // for a program that runs one thread.
    StopRequests();
    // They end the program again, as before.
    ~StopRequests();
    StopRequests(const StopRequests&) = delete;
    StopRequests& operator=(const StopRequests&) = delete;

    // The next request that has arrived, if any; does not wait.
    std::optional<StopRequest> Take();

    struct Impl;

private:
    friend void WaitForChildren(const std::vector<ChildProcess*>& children, const StopRequests& requests,
                                std::chrono::milliseconds timeout);
    std::unique_ptr<Impl> m_impl;
};
