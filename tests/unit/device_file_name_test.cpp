// SPDX-License-Identifier: MIT
// Device addresses as file names: safe on the file system, and two addresses
// never share one.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "upgrade/device_file_name.h"

namespace {

TEST(DeviceFileNameTest, KeepsSafeCharactersAndEscapesTheRest)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"127.0.0.1", "127.0.0.1"},
        {"Modem-7_b.example.org", "Modem-7_b.example.org"},
        {"::1", "%3A%3A1"},
        {"fe80::1%eth0", "fe80%3A%3A1%25eth0"},
        {"../etc/passwd", "..%2Fetc%2Fpasswd"},
        {"a\\b c", "a%5Cb%20c"},
        {std::string("\x00\x7f\xff", 3), "%00%7F%FF"},
        {"caf\xc3\xa9", "caf%C3%A9"},
        {".", "%2E"},
        {"..", "%2E%2E"},
        {"...", "..."},
        {"", "%"},
    };
    for (const auto& [address, name] : cases) EXPECT_EQ(DeviceFileName(address), name) << address;
}

TEST(DeviceFileNameTest, AddressesThatLookAlikeGetDistinctNames)
{
    const std::vector<std::string> addresses = {"", "%", ".", "%2E", "..", "%2E%2E", "a b", "a%20b", "a/b", "a%2Fb"};
    std::set<std::string> names;
    for (const std::string& address : addresses) names.insert(DeviceFileName(address));
    EXPECT_EQ(names.size(), addresses.size());
}

}  // namespace
