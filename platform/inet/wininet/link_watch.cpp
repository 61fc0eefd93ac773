// SPDX-License-Identifier: MIT
#include "platform/inet/wininet/link_watch.h"

#include <algorithm>

LinkWatch::LinkWatch(const WinInetLink& link, Limits limits)
    : m_link(link), m_limits(limits), m_start(Clock::now())
{
}

bool LinkWatch::operator()()
{
    const Clock::time_point now = Clock::now();
    const WinInetLink::Activity activity = m_link.Snapshot();
    const Clock::time_point last = std::max(activity.last, m_start);
    if (now >= m_limits.deadline) {
        m_reason = Reason::Whole;
    } else if (!activity.connected) {
        if (now - m_start >= m_limits.connect) m_reason = Reason::Connect;
    } else if (m_limits.activeData && activity.replies.Preliminary()) {
        // The server has taken the transfer's command; the data connection
        // is its to open.
        if (now - last >= m_limits.connect) m_reason = Reason::DataConnection;
    } else if (now - last >= m_limits.idle) {
        m_reason = Reason::Idle;
    }
    return m_reason != Reason::None;
}
