// SPDX-License-Identifier: MIT
// Server names as the layer accepts them: a host name, an IPv4 address or an
// IPv6 address (bare or in brackets), and nothing that could change the
// request made with it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/inet/internet_exception.h"

// The host part of a URL for `server` ("device", "192.168.0.1", "[::1]");
// none when `server` is not a plain host name or address.
std::optional<std::string> UrlHostOf(const std::string& server);

// `text` as an IP address in its one canonical form: IPv4 in dotted decimal
// (its other numeric forms, "127.1" and "0x7f.0.0.1", accepted), IPv6 as the
// system writes it (without brackets), an IPv4-mapped IPv6 address as its
// IPv4 address. None when `text` is no IP address. Never asks a name server.
std::optional<std::string> CanonicalIpLiteral(const std::string& text);

// The addresses the name `host` resolves to, each in its canonical form;
// empty when it resolves to none (the reason is of no use to the caller,
// whose run reports it).
std::vector<std::string> ResolvedAddresses(const std::string& host);

// The failure for `server` when it is no host name or has no address:
// ERROR_INTERNET_NAME_NOT_RESOLVED, detail "<server>: name not resolved".
CInternetException NameNotResolved(const std::string& server);
