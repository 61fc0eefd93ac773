// SPDX-License-Identifier: MIT
// The devices of a fleet run: read from an inventory file, or the addresses
// given with --address.
//
// An inventory file names one device a line:
//
//     ADDRESS [http=PORT] [ftp=PORT]
//
// with the fields separated by blanks or tabs. A port a line does not give
// is the one every device gets (--http-port and --ftp-port, else the
// NDXU_HTTP_PORT and NDXU_FTP_PORT settings, else 80 and 21). "#" begins a
// comment that runs to the end of its line; blank lines are skipped; a UTF-8
// byte order mark before the first line is ignored, and so is the carriage
// return of a line that ends with one.
//
// Every line is checked before any device is started: valid UTF-8 without
// control characters, and an address that is a host name or an IP address
// (address_rules.h). The inventory file is at most 16 MiB. One device (the
// same identity: the address in its canonical form, with the same ports)
// listed twice is refused.
#pragma once

#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

#include "upgrade/device_identity.h"

struct DevicePorts {
    int http;
    int ftp;
};

struct FleetDevice {
    std::string address;
    DevicePorts ports;
    // What the program calls the device: its address, or, where several
    // devices share an address, the address with the web port (and the FTP
    // port where that is shared too): "10.0.0.1:8081", "[::1]:8081".
    std::string name;
    // Where it was given, to name in a refusal: "hosts.txt:3", "--address 10.0.0.1".
    std::string place;
};

inline constexpr std::size_t kMaxInventoryBytes = 16 * 1024 * 1024;

DeviceIdentity IdentityOf(const FleetDevice& device);

// A fault in the list of devices; the text says where ("hosts.txt:3: ...").
class InventoryError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The devices of inventory text `in`, read from a file called `fileName`.
std::vector<FleetDevice> ParseInventory(std::istream& in, const std::string& fileName, DevicePorts defaults);
// The devices of the inventory file `path`: a regular file, or a pipe or
// FIFO that a program writes to.
std::vector<FleetDevice> ReadInventory(const std::string& path, DevicePorts defaults);
// The devices of the addresses given with --address, in their order.
std::vector<FleetDevice> DevicesFromAddresses(const std::vector<std::string>& addresses, DevicePorts defaults);
