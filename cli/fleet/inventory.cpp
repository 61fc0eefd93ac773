// SPDX-License-Identifier: MIT
#include "cli/fleet/inventory.h"

#include <charconv>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <tuple>

#include "platform/console/terminal_text.h"

namespace {

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
    return {words.front(), ports, {}};
}

std::string Described(const FleetDevice& device)
{
    return EscapeControlCharacters(device.address) + " (web port " + std::to_string(device.ports.http) +
           ", FTP port " + std::to_string(device.ports.ftp) + ")";
}

auto Key(const FleetDevice& device) { return std::tuple(device.address, device.ports.http, device.ports.ftp); }

// Refuses a device listed twice; `places[i]` says where device i was given.
void RefuseDuplicates(const std::vector<FleetDevice>& devices, const std::vector<std::string>& places)
{
    std::map<std::tuple<std::string, int, int>, std::size_t> first;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const auto [it, added] = first.emplace(Key(devices[i]), i);
        if (!added)
            throw InventoryError(places[i] + ": device " + Described(devices[i]) + " is listed twice (first " +
                                 places[it->second] + ")");
    }
}

// Gives each device its name: the address, with ports where it is shared.
void Name(std::vector<FleetDevice>& devices)
{
    std::map<std::string, int> byAddress;
    std::map<std::pair<std::string, int>, int> byWebPort;
    for (const FleetDevice& device : devices) {
        ++byAddress[device.address];
        ++byWebPort[{device.address, device.ports.http}];
    }
    for (FleetDevice& device : devices) {
        device.name = device.address;
        if (byAddress[device.address] > 1) (device.name += ':') += std::to_string(device.ports.http);
        if (byWebPort[{device.address, device.ports.http}] > 1) (device.name += ':') += std::to_string(device.ports.ftp);
    }
}

}  // namespace

std::vector<FleetDevice> ParseInventory(std::istream& in, const std::string& fileName, DevicePorts defaults)
{
    std::vector<FleetDevice> devices;
    std::vector<std::string> places;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::vector<std::string> words = Words(line);
        if (words.empty()) continue;
        places.push_back(EscapeControlCharacters(fileName) + ":" + std::to_string(number));
        devices.push_back(DeviceOfWords(words, places.back(), defaults));
    }
    if (devices.empty()) throw InventoryError(EscapeControlCharacters(fileName) + ": no device in the inventory");
    RefuseDuplicates(devices, places);
    Name(devices);
    return devices;
}

std::vector<FleetDevice> ReadInventory(const std::string& path, DevicePorts defaults)
{
    std::ifstream in(path);
    if (!in) throw InventoryError(EscapeControlCharacters(path) + ": cannot read the inventory");
    return ParseInventory(in, path, defaults);
}

std::vector<FleetDevice> DevicesFromAddresses(const std::vector<std::string>& addresses, DevicePorts defaults)
{
    std::vector<FleetDevice> devices;
    std::vector<std::string> places;
    for (const std::string& address : addresses) {
        devices.push_back({address, defaults, {}});
        places.push_back("--address " + EscapeControlCharacters(address));
    }
    RefuseDuplicates(devices, places);
    Name(devices);
    return devices;
}
