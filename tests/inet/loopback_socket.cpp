// SPDX-License-Identifier: MIT
#include "tests/inet/loopback_socket.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <stdexcept>
#include <string>

namespace {

#ifdef _WIN32
using Native = SOCKET;
constexpr Native kNone = INVALID_SOCKET;
using AddressLength = int;
void CloseNative(Native socket) { closesocket(socket); }

// Winsock is started once for the process and left running.
void StartSockets()
{
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started) throw std::runtime_error("cannot start Winsock");
}
#else
using Native = int;
constexpr Native kNone = -1;
using AddressLength = socklen_t;
void CloseNative(Native socket) { close(socket); }
void StartSockets() {}
#endif

sockaddr_in Loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

Native NewSocket()
{
    StartSockets();
    const Native made = socket(AF_INET, SOCK_STREAM, 0);
    if (made == kNone) throw std::runtime_error("cannot make a socket");
    return made;
}

int LocalPort(Native socket)
{
    sockaddr_in address{};
    AddressLength length = sizeof address;
    if (getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot read a socket's port");
    return ntohs(address.sin_port);
}

}  // namespace

LoopbackSocket::LoopbackSocket() : m_socket(static_cast<Handle>(kNone)) {}

LoopbackSocket::LoopbackSocket(LoopbackSocket&& other) noexcept
    : m_socket(other.m_socket), m_port(other.m_port)
{
    other.m_socket = static_cast<Handle>(kNone);
}

LoopbackSocket::~LoopbackSocket()
{
    if (m_socket != static_cast<Handle>(kNone)) CloseNative(static_cast<Native>(m_socket));
}

LoopbackSocket LoopbackSocket::Bound()
{
    LoopbackSocket made;
    const Native bound = NewSocket();
    made.m_socket = static_cast<Handle>(bound);
    const sockaddr_in address = Loopback(0);
    if (bind(bound, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot take a free loopback port");
    made.m_port = LocalPort(bound);
    return made;
}

LoopbackSocket LoopbackSocket::Listening(int backlog)
{
    LoopbackSocket made = Bound();
    if (listen(static_cast<Native>(made.m_socket), backlog) != 0) throw std::runtime_error("cannot listen");
    return made;
}

LoopbackSocket LoopbackSocket::ConnectedTo(int port)
{
    LoopbackSocket made;
    const Native connected = NewSocket();
    made.m_socket = static_cast<Handle>(connected);
    const sockaddr_in address = Loopback(port);
    if (connect(connected, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot connect to loopback port " + std::to_string(port));
    made.m_port = LocalPort(connected);
    return made;
}
