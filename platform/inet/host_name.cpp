// SPDX-License-Identifier: MIT
#include "platform/inet/host_name.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#endif

#include <algorithm>
#include <memory>

namespace {

bool IsHostCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
           c == '_' || c == ':';
}

bool IsIpv6Address(const std::string& text)
{
    in6_addr address{};
    return inet_pton(AF_INET6, text.c_str(), &address) == 1;
}

// The characters of an IP address in any of its written forms.
bool IsNumericAddressCharacter(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == 'x' || c == 'X' ||
           c == '.' || c == ':';
}

struct AddressesFree {
    void operator()(addrinfo* addresses) const { freeaddrinfo(addresses); }
};
using Addresses = std::unique_ptr<addrinfo, AddressesFree>;

// The socket library, for as long as the object lives (Windows needs it
// started before it resolves a name).
class SocketLibrary {
public:
#ifdef _WIN32
    SocketLibrary()
    {
        WSADATA data{};
        m_started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~SocketLibrary()
    {
        if (m_started) WSACleanup();
    }
    SocketLibrary(const SocketLibrary&) = delete;
    SocketLibrary& operator=(const SocketLibrary&) = delete;

private:
    bool m_started = false;
#endif
};

Addresses AddressesOf(const std::string& host, int flags)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) return nullptr;
    return Addresses(found);
}

// The canonical text of one address the resolver gave.
std::optional<std::string> AddressText(const addrinfo& address)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ai_family == AF_INET) {
        const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(address.ai_addr);
        if (!inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text)) return std::nullopt;
        return std::string(text);
    }
    if (address.ai_family != AF_INET6) return std::nullopt;
    const auto* ipv6 = reinterpret_cast<const sockaddr_in6*>(address.ai_addr);
    if (IN6_IS_ADDR_V4MAPPED(&ipv6->sin6_addr)) {
        in_addr ipv4{};
        std::copy_n(reinterpret_cast<const unsigned char*>(&ipv6->sin6_addr) + 12, 4,
                    reinterpret_cast<unsigned char*>(&ipv4));
        if (!inet_ntop(AF_INET, &ipv4, text, sizeof text)) return std::nullopt;
        return std::string(text);
    }
    if (!inet_ntop(AF_INET6, &ipv6->sin6_addr, text, sizeof text)) return std::nullopt;
    return std::string(text);
}

}  // namespace

std::optional<std::string> UrlHostOf(const std::string& server)
{
    const bool bracketed = server.size() >= 2 && server.front() == '[' && server.back() == ']';
    const std::string name = bracketed ? server.substr(1, server.size() - 2) : server;
    if (name.empty() || !std::all_of(name.begin(), name.end(), IsHostCharacter)) return std::nullopt;
    if (name.find(':') != std::string::npos) {
        if (!IsIpv6Address(name)) return std::nullopt;
        return "[" + name + "]";
    }
    if (bracketed) return std::nullopt;
    return name;
}

std::optional<std::string> CanonicalIpLiteral(const std::string& text)
{
    // Only the characters of an address: the resolver ignores what follows
    // a blank, and a zone ("%eth0") names no device.
    if (text.empty() || !std::all_of(text.begin(), text.end(), IsNumericAddressCharacter)) return std::nullopt;
    [[maybe_unused]] const SocketLibrary library;
    const Addresses addresses = AddressesOf(text, AI_NUMERICHOST);
    if (!addresses) return std::nullopt;
    return AddressText(*addresses);
}

std::vector<std::string> ResolvedAddresses(const std::string& host)
{
    [[maybe_unused]] const SocketLibrary library;
    std::vector<std::string> texts;
    const Addresses addresses = AddressesOf(host, 0);
    for (const addrinfo* address = addresses.get(); address; address = address->ai_next) {
        std::optional<std::string> text = AddressText(*address);
        if (text && std::find(texts.begin(), texts.end(), *text) == texts.end()) texts.push_back(std::move(*text));
    }
    return texts;
}

CInternetException NameNotResolved(const std::string& server)
{
    return CInternetException(ERROR_INTERNET_NAME_NOT_RESOLVED, {}, server + ": name not resolved");
}
