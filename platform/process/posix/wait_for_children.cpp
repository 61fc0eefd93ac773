// SPDX-License-Identifier: MIT
#include <poll.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "platform/process/posix/process_parts.h"

void WaitForChildren(const std::vector<ChildProcess*>& children, const StopRequests& requests,
                     std::chrono::milliseconds timeout)
{
    // One entry for the stop requests, then each child's open pipes.
    std::vector<pollfd> watched = {{requests.m_impl->signals, POLLIN, 0}};
    std::vector<std::pair<int*, std::string*>> pipes;
    for (ChildProcess* child : children) {
        ChildProcess::Impl& impl = *child->m_impl;
        for (auto [fd, sink] : {std::pair{&impl.output, &impl.outputText}, std::pair{&impl.errors, &impl.errorText}}) {
            if (*fd < 0) continue;
            watched.push_back({*fd, POLLIN, 0});
            pipes.emplace_back(fd, sink);
        }
    }
    if (::poll(watched.data(), watched.size(), static_cast<int>(timeout.count())) < 0 && errno != EINTR)
        throw std::runtime_error(std::string("cannot wait for the devices' processes: ") + std::strerror(errno));
    for (std::size_t i = 0; i < pipes.size(); ++i)
        if (watched[i + 1].revents != 0) ChildProcess::Impl::ReadFrom(*pipes[i].first, *pipes[i].second);
    for (ChildProcess* child : children) child->m_impl->ReapWhenDone();
}
