// SPDX-License-Identifier: MIT
// Server names as the layer accepts them: a host name, an IPv4 address or an
// IPv6 address (bare or in brackets), and nothing that could change the
// request made with it.
#pragma once

#include <optional>
#include <string>

#include "platform/inet/internet_exception.h"

// The host part of a URL for `server` ("device", "192.168.0.1", "[::1]");
// none when `server` is not a plain host name or address.
std::optional<std::string> UrlHostOf(const std::string& server);

// The failure for `server` when it is no host name or has no address:
// ERROR_INTERNET_NAME_NOT_RESOLVED, detail "<server>: name not resolved".
CInternetException NameNotResolved(const std::string& server);
