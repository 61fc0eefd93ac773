// SPDX-License-Identifier: MIT
// Server names as the layer accepts them: a host name, an IPv4 address or an
// IPv6 address (bare or in brackets), and nothing that could change the
// request made with it.
#pragma once

#include <optional>
#include <string>

// The host part of a URL for `server` ("device", "192.168.0.1", "[::1]");
// none when `server` is not a plain host name or address.
std::optional<std::string> UrlHostOf(const std::string& server);
