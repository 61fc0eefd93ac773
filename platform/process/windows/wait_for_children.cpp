// SPDX-License-Identifier: MIT
#include "platform/process/windows/process_parts.h"

void WaitForChildren(const std::vector<ChildProcess*>& children, const StopRequests&,
                     std::chrono::milliseconds timeout)
{
    // A child's process ends after its pipes or before: its end counts once
    // both are there, so a child whose pipes are closed is looked at again
    // soon rather than waited for.
    bool ending = false;
    for (ChildProcess* child : children) {
        child->m_impl->TakeEndWhenDone();
        const std::lock_guard<std::mutex> lock(child->m_impl->mutex);
        ending = ending || (!child->m_impl->end && child->m_impl->openPipes == 0);
    }
    const std::chrono::milliseconds wait = ending ? std::min(timeout, std::chrono::milliseconds(10)) : timeout;
    ::WaitForSingleObject(ActivityEvent(), static_cast<DWORD>(wait.count()));
    for (ChildProcess* child : children) child->m_impl->TakeEndWhenDone();
}
