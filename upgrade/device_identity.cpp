// SPDX-License-Identifier: MIT
#include "upgrade/device_identity.h"

#include <optional>

#include "platform/inet/host_name.h"
#include "platform/inet/layer_settings.h"
#include "upgrade/device_file_name.h"

namespace {

std::string Unbracketed(const std::string& address)
{
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']')
        return address.substr(1, address.size() - 2);
    return address;
}

std::string LowerCase(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace

std::string CanonicalHost(const std::string& address)
{
    const std::string host = Unbracketed(address);
    if (const std::optional<std::string> literal = CanonicalIpLiteral(host)) return *literal;
    std::string name = LowerCase(host);
    if (name.size() > 1 && name.back() == '.') name.pop_back();
    return name;
}

DeviceIdentity IdentityOf(const std::string& address, int httpPort, int ftpPort)
{
    return {CanonicalHost(address), httpPort, ftpPort};
}

DeviceIdentity RunDeviceIdentity(const std::string& address)
{
    const LayerSettings settings = ReadLayerSettings();
    return IdentityOf(address, settings.httpPort, settings.ftpPort);
}

std::string DeviceDirectoryName(const DeviceIdentity& identity)
{
    std::string name = DeviceFileName(identity.host);
    if (identity.httpPort != kDefaultHttpPort) name += "+web" + std::to_string(identity.httpPort);
    if (identity.ftpPort != kDefaultFtpPort) name += "+ftp" + std::to_string(identity.ftpPort);
    return name;
}
