#include "tests/inet/loopback_server.h"

#include <netinet/in.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kConnectionLimit = std::chrono::seconds(60);
constexpr auto kFinishGrace = std::chrono::seconds(3);
constexpr int kPollMilliseconds = 20;
constexpr std::size_t kChunk = 64 * 1024;
constexpr char kFiller[] = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr std::size_t kFillerPeriod = sizeof kFiller - 1;

// The body length that the request's headers declare; 0 when none.
std::size_t DeclaredLength(std::string headers)
{
    std::transform(headers.begin(), headers.end(), headers.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::string name = "\ncontent-length:";
    const std::size_t at = headers.find(name);
    if (at == std::string::npos) return 0;
    return std::strtoull(headers.c_str() + at + name.size(), nullptr, 10);
}

}  // namespace

char FillerByte(std::uint64_t index) { return kFiller[index % kFillerPeriod]; }

LoopbackServer::LoopbackServer(ServerScript script, int family) : m_script(std::move(script))
{
    m_listener = socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
    sockaddr_storage address{};
    socklen_t length = 0;
    if (family == AF_INET6) {
        auto& v6 = reinterpret_cast<sockaddr_in6&>(address);
        v6.sin6_family = AF_INET6;
        v6.sin6_addr = in6addr_loopback;
        length = sizeof v6;
    } else {
        auto& v4 = reinterpret_cast<sockaddr_in&>(address);
        v4.sin_family = AF_INET;
        v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof v4;
    }
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(m_listener, 16) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        const std::string error = std::strerror(errno);
        close(m_listener);
        throw std::runtime_error("cannot listen on the loopback interface: " + error);
    }
    m_port = ntohs(family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(address).sin6_port
                                      : reinterpret_cast<sockaddr_in&>(address).sin_port);
    m_thread = std::thread(&LoopbackServer::Serve, this);
}

LoopbackServer::~LoopbackServer()
{
    Finish();
    close(m_listener);
}

void LoopbackServer::Finish()
{
    m_finishing = true;
    if (m_thread.joinable()) m_thread.join();
}

std::string LoopbackServer::Received()
{
    Finish();
    return m_received;
}

int LoopbackServer::Connections()
{
    Finish();
    return m_connections;
}

std::uint64_t LoopbackServer::BytesSent()
{
    Finish();
    return m_sent;
}

void LoopbackServer::Serve()
{
    for (;;) {
        if (!Await(m_listener, POLLIN, kPollMilliseconds)) {
            if (m_finishing) return;
            continue;
        }
        const int connection = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection < 0) continue;
        {
            std::lock_guard lock(m_mutex);
            ++m_connections;
        }
        m_giveUpAt = Clock::now() + kConnectionLimit;
        Handle(connection);
        close(connection);
    }
}

void LoopbackServer::Handle(int connection)
{
    if (!ReadRequest(connection)) return;
    if (!SendAll(connection, m_script.reply.data(), m_script.reply.size()) || !StreamFiller(connection)) return;
    switch (m_script.then) {
    case ServerScript::Then::Close:
        shutdown(connection, SHUT_WR);
        ReadUntilClosed(connection);
        break;
    case ServerScript::Then::Reset: {
        const linger abort{1, 0};
        setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        break;
    }
    case ServerScript::Then::Stall: ReadUntilClosed(connection); break;
    }
}

bool LoopbackServer::ReadRequest(int connection)
{
    std::string request;
    for (;;) {
        const std::size_t headersEnd = request.find("\r\n\r\n");
        if (headersEnd != std::string::npos &&
            request.size() >= headersEnd + 4 + DeclaredLength(request.substr(0, headersEnd)))
            return true;
        if (!Await(connection, POLLIN, kPollMilliseconds)) {
            if (TimeIsUp()) return false;
            continue;
        }
        if (!ReceiveSome(connection, &request)) return false;
    }
}

bool LoopbackServer::SendAll(int connection, const char* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t sent = send(connection, data + done, size - done, MSG_NOSIGNAL);
        if (sent > 0) {
            done += static_cast<std::size_t>(sent);
            std::lock_guard lock(m_mutex);
            m_sent += static_cast<std::uint64_t>(sent);
            continue;
        }
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            if (!Await(connection, POLLOUT, kPollMilliseconds) && TimeIsUp()) return false;
            continue;
        }
        return false;
    }
    return true;
}

bool LoopbackServer::StreamFiller(int connection)
{
    std::string pattern(kChunk + kFillerPeriod, '\0');
    for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = FillerByte(i);
    for (std::uint64_t offset = 0; offset < m_script.fillerBytes;) {
        const std::size_t part = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, m_script.fillerBytes - offset));
        if (!SendAll(connection, pattern.data() + offset % kFillerPeriod, part)) return false;
        offset += part;
    }
    return true;
}

void LoopbackServer::ReadUntilClosed(int connection)
{
    for (;;) {
        if (!Await(connection, POLLIN, kPollMilliseconds)) {
            if (TimeIsUp()) return;
            continue;
        }
        if (!ReceiveSome(connection, nullptr)) return;
    }
}

bool LoopbackServer::Await(int socket, short events, int milliseconds)
{
    pollfd entry{socket, events, 0};
    return poll(&entry, 1, milliseconds) > 0;
}

bool LoopbackServer::ReceiveSome(int connection, std::string* copy)
{
    char buffer[kChunk];
    const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return true;
    if (got <= 0) return false;
    std::lock_guard lock(m_mutex);
    m_received.append(buffer, static_cast<std::size_t>(got));
    if (copy) copy->append(buffer, static_cast<std::size_t>(got));
    return true;
}

bool LoopbackServer::TimeIsUp()
{
    const auto now = Clock::now();
    if (m_finishing) m_giveUpAt = std::min(m_giveUpAt, now + kFinishGrace);
    return now >= m_giveUpAt;
}
