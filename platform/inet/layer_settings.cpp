// SPDX-License-Identifier: MIT
#include "platform/inet/layer_settings.h"

#include <charconv>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

constexpr long kMaxPort = 65535;
constexpr long kMaxSeconds = 86400;

// The whole value of variable `name` as a number from 1 to `max`; `fallback`
// when the variable is unset or empty.
long ReadNumber(const char* name, long fallback, long max, const char* meaning)
{
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    std::string_view value(text);
    long number = 0;
    auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end != value.data() + value.size() || number < 1 || number > max)
        throw std::invalid_argument(std::string(name) + " must be " + meaning + " from 1 to " +
                                    std::to_string(max) + ", not \"" + text + "\"");
    return number;
}

int ReadPort(const char* name, int fallback)
{
    return static_cast<int>(ReadNumber(name, fallback, kMaxPort, "a port number"));
}

std::chrono::seconds ReadSeconds(const char* name, long fallback)
{
    return std::chrono::seconds(ReadNumber(name, fallback, kMaxSeconds, "a number of seconds"));
}

// Variable `name` as a switch: "1" or "0"; `fallback` when unset or empty.
bool ReadSwitch(const char* name, bool fallback)
{
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    const std::string_view value(text);
    if (value == "1") return true;
    if (value == "0") return false;
    throw std::invalid_argument(std::string(name) + " must be 1 or 0, not \"" + text + "\"");
}

}  // namespace

LayerSettings ReadLayerSettings()
{
    return LayerSettings{ReadPort("NDXU_HTTP_PORT", 80), ReadPort("NDXU_FTP_PORT", 21),
                         ReadSeconds("NDXU_CONNECT_TIMEOUT", 60), ReadSeconds("NDXU_RECEIVE_TIMEOUT", 60),
                         ReadSeconds("NDXU_EXCHANGE_TIMEOUT", 300), ReadSwitch("NDXU_FTP_PASSIVE", false)};
}

int PortOrDefault(int port, int fallback)
{
    if (port < 0 || port > kMaxPort)
        throw std::invalid_argument("port " + std::to_string(port) + " is out of range (1 to 65535)");
    return port == 0 ? fallback : port;
}
