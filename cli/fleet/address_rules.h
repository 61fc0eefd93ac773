// SPDX-License-Identifier: MIT
// What an inventory accepts as a line and as a device's address, so that a
// line is either what it says or refused before anything is sent.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The longest address a run accepts, in bytes.
inline constexpr std::size_t kMaxAddressBytes = 80;

// Why `line` cannot be read as text: not valid UTF-8, or holding a NUL or
// another control character (tabs separate fields and are allowed). None
// when it can.
std::optional<std::string> TextProblem(std::string_view line);

// Why `address` names no device: neither an IP address (IPv6 bare or in
// brackets) nor a host name of RFC 1123 labels, too long, or looking like an
// option. None when it names one.
std::optional<std::string> AddressProblem(const std::string& address);
