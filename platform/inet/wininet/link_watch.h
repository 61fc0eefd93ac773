// SPDX-License-Identifier: MIT
// When the caller stops waiting for a blocking call on a link: before the
// connection is made, once the connect limit has passed; after it, once
// nothing has moved for the idle limit; after an FTP server's preliminary
// reply in active mode, once the server has not opened the data connection
// within the connect limit; and in any case at the exchange's deadline.
#pragma once

#include <chrono>

#include "platform/inet/wininet/wininet_link.h"

class LinkWatch {
public:
    using Clock = WinInetLink::Clock;

    enum class Reason { None, Connect, Idle, Whole, DataConnection };

    struct Limits {
        Clock::time_point deadline;         // the end of the whole exchange
        std::chrono::milliseconds idle;     // the longest stretch without activity
        std::chrono::milliseconds connect;  // the longest wait for a connection
        bool activeData = false;            // the call may wait for the server's data connection
    };

    // Starts the clocks of a call on `link`.
    LinkWatch(const WinInetLink& link, Limits limits);

    // True when the caller should stop waiting; Reason() then says why.
    bool operator()();
    Reason Expired() const { return m_reason; }

private:
    const WinInetLink& m_link;
    Limits m_limits;
    Clock::time_point m_start;
    Reason m_reason = Reason::None;
};
