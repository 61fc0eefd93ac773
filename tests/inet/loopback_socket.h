// SPDX-License-Identifier: MIT
// Loopback TCP sockets of the tests' own: a port with nothing listening, a
// listener that never takes its connections, a connection that fills a
// listener's queue. BSD sockets on Linux, Winsock on Windows.
#pragma once

#include <cstdint>

class LoopbackSocket {
public:
    // A socket bound to a free loopback port.
    static LoopbackSocket Bound();
    // A socket bound to a free loopback port and listening with `backlog`.
    static LoopbackSocket Listening(int backlog);
    // A socket connected to loopback port `port`.
    static LoopbackSocket ConnectedTo(int port);

    ~LoopbackSocket();
    LoopbackSocket(LoopbackSocket&& other) noexcept;
    LoopbackSocket& operator=(LoopbackSocket&&) = delete;
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;

    // The local port.
    int Port() const { return m_port; }

private:
    using Handle = std::uintptr_t;
    LoopbackSocket();

    Handle m_socket;
    int m_port = 0;
};
