// SPDX-License-Identifier: MIT
// SIGINT (Ctrl-C) and SIGTERM while a program watches its children: instead
// of ending the program, each is kept as a request that the program takes
// when it is ready (WaitForChildren wakes up for one).
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

class ChildProcess;

enum class StopRequest { Interrupt, Terminate };

// 128 + the signal's number: 130 for an interrupt, 143 for a termination.
int ExitStatusFor(StopRequest request);

class StopRequests {
public:
    // From here on, SIGINT and SIGTERM are held as requests. Only for a
    // program that runs one thread.
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
