// SPDX-License-Identifier: MIT
// Makes WinInet's blocking calls on a thread of its own, so that the
// caller's thread stays free to keep the window painted and to watch the
// time limits, which WinInet does not keep for every call (under Wine an FTP
// call waits for the server however long it takes, and closing its handle
// does not end it).
//
// A call that the caller gives up on runs on alone: whatever it uses must be
// kept alive by the call itself (shared pointers it holds), and it must not
// touch what the caller owns. The next call then gets a new thread.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "platform/inet/inet_types.h"
#include "platform/inet/paint_pacer.h"

class CallThread {
public:
    CallThread() = default;
    // Lets the thread end once its call, if one is still running, returns;
    // never waits for it.
    ~CallThread();
    CallThread(const CallThread&) = delete;
    CallThread& operator=(const CallThread&) = delete;

    // Makes `call` (which must not throw) on the thread and waits until it has returned, keeping
    // the window painted, or until `giveUp()` (asked every few tens of
    // milliseconds) says to stop waiting. True when the call returned. When
    // it has not, it is left to run on alone, and `ifGivenUp` runs on its
    // thread once it returns (to close what it opened, say).
    bool Run(std::function<void()> call, const std::function<bool()>& giveUp,
             std::function<void()> ifGivenUp = {});

private:
    struct Worker;

    // Waits up to `wait` for the call to return; true when it has.
    bool Returned(std::chrono::milliseconds wait);
    // Leaves the call to run on alone; false when it has returned already.
    bool Abandon();

    std::shared_ptr<Worker> m_worker;
    PaintPacer m_painter;
};

// How a WinInet call made on a CallThread ended.
struct CallOutcome {
    bool returned = false;   // false: the caller gave up on it
    bool succeeded = false;  // it returned TRUE
    DWORD error = 0;         // the thread's last error after it failed
};

// Makes the WinInet call `call` on `thread` as CallThread::Run does, and
// takes its result and the last error of the thread that made it.
CallOutcome MakeCall(CallThread& thread, std::function<BOOL()> call, const std::function<bool()>& giveUp,
                     std::function<void()> ifGivenUp = {});
