// SPDX-License-Identifier: MIT
#include "platform/inet/wininet/connect_probe.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>
#include <memory>
#include <string>

#include "platform/inet/wininet/call_pool.h"

namespace {

// Windows itself tries a refused connect again for about two seconds.
constexpr std::chrono::seconds kAnswerLimit{3};

// Winsock for the length of one probe.
class SocketsStarted {
public:
    SocketsStarted()
    {
        WSADATA data{};
        m_started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~SocketsStarted()
    {
        if (m_started) WSACleanup();
    }
    SocketsStarted(const SocketsStarted&) = delete;
    SocketsStarted& operator=(const SocketsStarted&) = delete;
    explicit operator bool() const { return m_started; }

private:
    bool m_started = false;
};

struct AddressesFree {
    void operator()(addrinfo* addresses) const { freeaddrinfo(addresses); }
};

// A socket, closed at the end of its scope.
class Socket {
public:
    explicit Socket(const addrinfo& address)
        : m_socket(::socket(address.ai_family, address.ai_socktype, address.ai_protocol))
    {
    }
    ~Socket()
    {
        if (m_socket != INVALID_SOCKET) closesocket(m_socket);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    SOCKET get() const { return m_socket; }

private:
    SOCKET m_socket;
};

// The first address of `host` for a stream to `port`; null when it has none.
std::unique_ptr<addrinfo, AddressesFree> AddressOf(const std::string& host, int port)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return nullptr;
    return std::unique_ptr<addrinfo, AddressesFree>(found);
}

// The outcome of a connect begun without blocking on `socket`: the socket's
// error once the attempt has failed, 0 when it connected or is still waiting.
DWORD OutcomeOf(SOCKET socket)
{
    fd_set connected;
    fd_set failed;
    FD_ZERO(&connected);
    FD_ZERO(&failed);
    FD_SET(socket, &connected);
    FD_SET(socket, &failed);
    timeval limit{static_cast<long>(kAnswerLimit.count()), 0};
    if (select(0, nullptr, &connected, &failed, &limit) <= 0 || !FD_ISSET(socket, &failed)) return 0;
    int error = 0;
    int length = sizeof error;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0) return 0;
    return static_cast<DWORD>(error);
}

// The probe itself, blocking for kAnswerLimit at most.
DWORD AskTheSystem(const std::string& host, int port)
{
    const SocketsStarted sockets;
    if (!sockets) return 0;
    const auto address = AddressOf(host, port);
    if (!address) return 0;
    const Socket socket(*address);
    if (socket.get() == INVALID_SOCKET) return 0;
    u_long nonBlocking = 1;
    if (ioctlsocket(socket.get(), FIONBIO, &nonBlocking) != 0) return 0;
    if (connect(socket.get(), address->ai_addr, static_cast<int>(address->ai_addrlen)) == 0) return 0;
    const int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK) return static_cast<DWORD>(error);
    return OutcomeOf(socket.get());
}

}  // namespace

DWORD ConnectFailureCode(const std::string& host, int port)
{
    // Made on the pool's thread, so that the window stays painted meanwhile;
    // the probe keeps what it writes alive itself. A second more than the
    // connect's own limit leaves time for the name's lookup.
    auto code = std::make_shared<DWORD>(0);
    const auto deadline = std::chrono::steady_clock::now() + kAnswerLimit + std::chrono::seconds(1);
    BlockingCalls calls;
    const bool returned = calls.Run([code, host, port] { *code = AskTheSystem(host, port); },
                                    [deadline] { return std::chrono::steady_clock::now() > deadline; });
    return returned ? *code : 0;
}
