// SPDX-License-Identifier: MIT
#include "cli/fleet/aliases.h"

#include <map>
#include <string>
#include <tuple>

#include "platform/inet/host_name.h"

namespace {

// The addresses the device's host stands for: itself when it is one.
std::vector<std::string> AddressesOf(const DeviceIdentity& identity)
{
    if (CanonicalIpLiteral(identity.host)) return {identity.host};
    return ResolvedAddresses(identity.host);
}

}  // namespace

void RefuseAliases(const std::vector<FleetDevice>& devices)
{
    std::map<std::tuple<std::string, int, int>, std::size_t> first;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const DeviceIdentity identity = IdentityOf(devices[i]);
        for (const std::string& address : AddressesOf(identity)) {
            const auto [it, added] = first.emplace(std::tuple(address, identity.httpPort, identity.ftpPort), i);
            if (added || it->second == i) continue;
            const FleetDevice& earlier = devices[it->second];
            throw InventoryError(devices[i].place + ": " + devices[i].address + " and " + earlier.address + " (" +
                                 earlier.place + ") reach one device: both are " + address + " on web port " +
                                 std::to_string(identity.httpPort) + " and FTP port " +
                                 std::to_string(identity.ftpPort) +
                                 "; list it once, or give --allow-aliases when they are different devices");
        }
    }
}
