// SPDX-License-Identifier: MIT
// Programs run as child processes and watched together: each child gets its
// standard input once, as a text, and its standard output and error are read
// through pipes by one wait over all children (WaitForChildren), so that
// watching many children takes one thread.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/process/stop_requests.h"

// How a child ended: its exit status, or the signal that ended it.
struct ChildEnd {
    std::optional<int> exitStatus;
    std::optional<int> signal;  // its number
    std::string signalName;     // "SIGKILL", ...
};

class ChildProcess {
public:
    // Starts `program` with the arguments `args`, its standard input fed
    // with `input` and then closed. The child inherits the environment and
    // takes SIGINT and SIGTERM as a program usually does (they end it unless
    // it says otherwise). On Linux it runs in a process group of its own, so
    // that the terminal's Ctrl-C and hang-up reach it only as this program
    // passes them on (Stop). Throws std::runtime_error when it cannot be
    // started.
    ChildProcess(const std::string& program, const std::vector<std::string>& args, const std::string& input);
    // A child still running is killed and reaped.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // What the child wrote to its standard output / error since the last call.
    std::string TakeOutput();
    std::string TakeErrors();

    // The child's end, once both its pipes are closed and it has been reaped.
    std::optional<ChildEnd> End() const;

    // Passes a stop request on, as the signal it came as.
    void Stop(StopRequest request);
    // Ends the child at once (SIGKILL).
    void Kill();

    struct Impl;

private:
    friend void WaitForChildren(const std::vector<ChildProcess*>& children, const StopRequests& requests,
                                std::chrono::milliseconds timeout);
    std::unique_ptr<Impl> m_impl;
};

// Waits until one of `children` has written something or ended, a stop
// request has arrived, or `timeout` has passed; reads what the children
// wrote and reaps those that ended.
void WaitForChildren(const std::vector<ChildProcess*>& children, const StopRequests& requests,
                     std::chrono::milliseconds timeout);

// The path that starts this very program again.
std::string OwnProgram();
