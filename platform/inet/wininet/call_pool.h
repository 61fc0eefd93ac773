// SPDX-License-Identifier: MIT
// Makes WinInet's blocking calls on threads of the process's own, so that
// the caller's thread stays free to keep the window painted and to watch the
// time limits, which WinInet does not keep for every call (under Wine an FTP
// call waits for the server however long it takes, and closing its handle
// does not end it).
//
// A call that the caller gives up on runs on alone: whatever it uses must be
// kept alive by the call itself (shared pointers it holds), and it must not
// touch what the caller owns.
//
// The threads are started as calls need them and kept for later calls, never
// ended: under Wine a thread started while others were ending has been seen
// not to run for a minute.
#pragma once

#include <functional>

#include "platform/inet/inet_types.h"
#include "platform/inet/paint_pacer.h"

class BlockingCalls {
public:
    // Makes `call` (which must not throw) on a thread of the pool and waits
    // until it has returned, keeping the window painted, or until `giveUp()`
    // (asked every few tens of milliseconds) says to stop waiting. True when
    // the call returned. When it has not, it is left to run on alone, and
    // `ifGivenUp` runs on its thread once it returns (to close what it
    // opened, say).
    bool Run(std::function<void()> call, const std::function<bool()>& giveUp,
             std::function<void()> ifGivenUp = {});

private:
    PaintPacer m_painter;
};

// Does `work` (which must not throw) on a thread of the pool; nothing waits
// for it.
void RunInBackground(std::function<void()> work);

// How a WinInet call made through BlockingCalls ended.
struct CallOutcome {
    bool returned = false;   // false: the caller gave up on it
    bool succeeded = false;  // it returned TRUE
    DWORD error = 0;         // the thread's last error after it failed
};

// Makes the WinInet call `call` as BlockingCalls::Run does, and takes its
// result and the last error of the thread that made it.
CallOutcome MakeCall(BlockingCalls& calls, std::function<BOOL()> call, const std::function<bool()>& giveUp,
                     std::function<void()> ifGivenUp = {});
