// SPDX-License-Identifier: MIT
#include "cli/fleet/inventory.h"

#include <charconv>
#include <chrono>
#include <map>
#include <optional>
#include <sstream>

#include "cli/fleet/address_rules.h"
#include "platform/console/terminal_text.h"
#include "platform/files/small_file.h"

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
// How long a FIFO given as the inventory may keep its first bytes.
constexpr std::chrono::seconds kWriterWait{5};

std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    std::istringstream in(line.substr(0, line.find('#')));
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

std::string Quoted(const std::string& text)
{
    std::string quoted(1, '\'');
    quoted += EscapeControlCharacters(text);
    quoted += '\'';
    return quoted;
}

std::optional<int> Port(std::string_view text)
{
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535) return std::nullopt;
    return port;
}

// The address, checked; throws with `where` leading the text.
std::string CheckedAddress(const std::string& address, const std::string& where)
{
    const std::optional<std::string> problem = AddressProblem(address);
    if (!problem) return address;
    // A long address is named by its start alone.
    const std::string shown = address.size() > kMaxAddressBytes ? address.substr(0, 24) + "..." : address;
    throw InventoryError(where + ": the address " + Quoted(shown) + " " + *problem);
}

// The device of one line's words; throws with `where` leading the text.
FleetDevice DeviceOfWords(const std::vector<std::string>& words, const std::string& where, DevicePorts defaults)
{
    std::map<std::string, int> given;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        const std::size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        if (equals == std::string::npos || (name != "http" && name != "ftp"))
            throw InventoryError(where + ": unknown field " + Quoted(word));
        const std::optional<int> port = Port(std::string_view(word).substr(equals + 1));
        if (!port) throw InventoryError(where + ": bad port " + Quoted(word) + ": a port is a number from 1 to 65535");
        if (!given.emplace(name, *port).second) throw InventoryError(where + ": " + name + "= given twice");
    }
    const DevicePorts ports{given.count("http") ? given["http"] : defaults.http,
                            given.count("ftp") ? given["ftp"] : defaults.ftp};
    return {CheckedAddress(words.front(), where), ports, {}, where};
}

std::string Described(const FleetDevice& device)
{
    return device.address + " (web port " + std::to_string(device.ports.http) + ", FTP port " +
           std::to_string(device.ports.ftp) + ")";
}

// Refuses a device listed twice, under any of its addresses' spellings.
void RefuseDuplicates(const std::vector<FleetDevice>& devices)
{
    std::map<DeviceIdentity, std::size_t> first;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const auto [it, added] = first.emplace(IdentityOf(devices[i]), i);
        if (added) continue;
        const FleetDevice& earlier = devices[it->second];
        const std::string also = earlier.address == devices[i].address ? "" : " as " + earlier.address;
        throw InventoryError(devices[i].place + ": device " + Described(devices[i]) + " is listed twice (first " +
                             earlier.place + also + ")");
    }
}

// `host` followed by a port: an IPv6 address in brackets.
std::string WithPort(const std::string& host, int port)
{
    const bool bare = host.find(':') != std::string::npos && host.front() != '[';
    return (bare ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

// Gives each device its name: the address, with ports where it is shared.
void Name(std::vector<FleetDevice>& devices)
{
    std::map<std::string, int> byHost;
    std::map<std::pair<std::string, int>, int> byWebPort;
    for (const FleetDevice& device : devices) {
        const DeviceIdentity identity = IdentityOf(device);
        ++byHost[identity.host];
        ++byWebPort[{identity.host, identity.httpPort}];
    }
    for (FleetDevice& device : devices) {
        const DeviceIdentity identity = IdentityOf(device);
        device.name = device.address;
        if (byHost[identity.host] > 1) device.name = WithPort(device.address, device.ports.http);
        if (byWebPort[{identity.host, identity.httpPort}] > 1) (device.name += ':') += std::to_string(device.ports.ftp);
    }
}

// The line without what the inventory's text may carry around it: the byte
// order mark of the first line, the carriage return of a CRLF line end.
std::string Trimmed(std::string line, int number)
{
    if (number == 1 && line.starts_with(kByteOrderMark)) line.erase(0, sizeof kByteOrderMark - 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace

DeviceIdentity IdentityOf(const FleetDevice& device)
{
    return IdentityOf(device.address, device.ports.http, device.ports.ftp);
}

std::vector<FleetDevice> ParseInventory(std::istream& in, const std::string& fileName, DevicePorts defaults)
{
    const std::string file = EscapeControlCharacters(fileName);
    std::vector<FleetDevice> devices;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        line = Trimmed(std::move(line), number);
        const std::string where = file + ":" + std::to_string(number);
        if (const std::optional<std::string> problem = TextProblem(line))
            throw InventoryError(where + ": the line " + *problem);
        const std::vector<std::string> words = Words(line);
        if (!words.empty()) devices.push_back(DeviceOfWords(words, where, defaults));
    }
    if (devices.empty()) throw InventoryError(file + ": no device in the inventory");
    RefuseDuplicates(devices);
    Name(devices);
    return devices;
}

std::vector<FleetDevice> ReadInventory(const std::string& path, DevicePorts defaults)
{
    const SmallFile file = ReadSmallFile(path, kMaxInventoryBytes, kWriterWait);
    if (!file.text) throw InventoryError(EscapeControlCharacters(path) + ": cannot read the inventory: " + file.problem);
    std::istringstream in(*file.text);
    return ParseInventory(in, path, defaults);
}

std::vector<FleetDevice> DevicesFromAddresses(const std::vector<std::string>& addresses, DevicePorts defaults)
{
    std::vector<FleetDevice> devices;
    for (const std::string& address : addresses) {
        const std::string where = "--address " + EscapeControlCharacters(address);
        if (const std::optional<std::string> problem = TextProblem(address))
            throw InventoryError(where + ": the address " + *problem);
        devices.push_back({CheckedAddress(address, where), defaults, {}, where});
    }
    RefuseDuplicates(devices);
    Name(devices);
    return devices;
}
