// SPDX-License-Identifier: MIT
// What the Windows side keeps of a child process and of the stop requests;
// the wait over all children reads both. A thread per pipe reads what a
// child writes, and every read, end of a pipe and stop request sets one
// event, for which the wait waits.
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/base/windows_headers.h"
#include "platform/process/child_process.h"
#include "platform/process/stop_requests.h"

// The event that a child's output, the end of a pipe and a stop request set.
HANDLE ActivityEvent();

struct ChildProcess::Impl {
    HANDLE process = nullptr;
    DWORD pid = 0;
    bool killed = false;  // ended by Kill (or by a stop request it could not take)

    std::mutex mutex;  // guards what follows, which the readers write
    std::string outputText;  // read, not yet taken
    std::string errorText;
    int openPipes = 2;
    std::optional<ChildEnd> end;

    std::thread outputReader;
    std::thread errorReader;

    // Once both pipes are closed: takes the child's end if it has ended.
    void TakeEndWhenDone();
};

struct StopRequests::Impl {
    std::mutex mutex;
    std::deque<StopRequest> arrived;
};
