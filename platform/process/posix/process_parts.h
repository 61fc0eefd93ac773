// SPDX-License-Identifier: MIT
// What the POSIX side keeps of a child process and of the stop requests; the
// wait over all children reads both.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "platform/process/child_process.h"
#include "platform/process/stop_requests.h"

struct ChildProcess::Impl {
    pid_t pid = -1;
    int output = -1;  // read ends of the child's standard output and error, non-blocking; -1 once closed
    int errors = -1;
    std::string outputText;  // read, not yet taken
    std::string errorText;
    std::optional<ChildEnd> end;

    // Reads what `fd` holds into `sink`; closes it at its end.
    static void ReadFrom(int& fd, std::string& sink);
    // Once both pipes are closed: reaps the child if it has ended.
    void ReapWhenDone();
};

struct StopRequests::Impl {
    int signals = -1;  // signalfd of SIGINT, SIGTERM and SIGHUP, non-blocking
    sigset_t held{};
    sigset_t before{};
};

// The signal a stop request came as, and is passed on as.
int SignalOf(StopRequest request);
