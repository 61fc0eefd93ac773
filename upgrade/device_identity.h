// SPDX-License-Identifier: MIT
// A device as the program knows it: its address in one canonical form and
// the ports of its web and FTP servers. Two runs of the same identity drive
// the same modem; the device's files (its run logs in a fleet, its history)
// are named after the identity.
#pragma once

#include <compare>
#include <string>

inline constexpr int kDefaultHttpPort = 80;
inline constexpr int kDefaultFtpPort = 21;

struct DeviceIdentity {
    std::string host;  // as CanonicalHost gives it
    int httpPort = kDefaultHttpPort;
    int ftpPort = kDefaultFtpPort;

    auto operator<=>(const DeviceIdentity&) const = default;
};

// `address` in its canonical form: an IP address as CanonicalIpLiteral
// writes it ("127.1" and "::ffff:127.0.0.1" are "127.0.0.1", "[::1]" is
// "::1"); a host name in lower case without its trailing dot.
std::string CanonicalHost(const std::string& address);

DeviceIdentity IdentityOf(const std::string& address, int httpPort, int ftpPort);

// The identity of the device a run drives: `address` with the ports of the
// Internet layer's settings.
DeviceIdentity RunDeviceIdentity(const std::string& address);

// The name of the device's files: the host escaped as DeviceFileName does,
// then "+web<port>" and "+ftp<port>" for a port that is not the default.
// DeviceFileName writes '+' as "%2B", so no host takes the form of a port,
// and two identities never share a name: "127.0.0.2+web8081".
std::string DeviceDirectoryName(const DeviceIdentity& identity);
