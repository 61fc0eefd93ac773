// SPDX-License-Identifier: MIT
#include "upgrade/device_file_name.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool Kept(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
           c == '_';
}

}  // namespace

std::string DeviceFileName(const std::string& address)
{
    // A lone '%' is no escape, so no address but the empty one gives it.
    if (address.empty()) return "%";
    // "." and ".." name directories: their dots are escaped too.
    const bool dotsOnly = address == "." || address == "..";
    std::string name;
    for (const char byte : address) {
        const auto c = static_cast<unsigned char>(byte);
        if (Kept(c) && !dotsOnly) {
            name += byte;
            continue;
        }
        name += '%';
        name += kHexDigits[c >> 4];
        name += kHexDigits[c & 0x0F];
    }
    return name;
}
