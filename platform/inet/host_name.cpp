// SPDX-License-Identifier: MIT
#include "platform/inet/host_name.h"

#ifdef _WIN32
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#endif

#include <algorithm>

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

CInternetException NameNotResolved(const std::string& server)
{
    return CInternetException(ERROR_INTERNET_NAME_NOT_RESOLVED, {}, server + ": name not resolved");
}
