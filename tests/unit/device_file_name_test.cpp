// SPDX-License-Identifier: MIT
// Devices as names: one canonical form of an address, and file names that
// are safe on the file system and never shared by two devices.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "upgrade/device_file_name.h"
#include "upgrade/device_identity.h"

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

TEST(DeviceIdentityTest, EverySpellingOfAnAddressHasOneCanonicalForm)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"127.0.0.1", "127.0.0.1"},       {"127.1", "127.0.0.1"},        {"0x7f.0.0.1", "127.0.0.1"},
        {"2130706433", "127.0.0.1"},      {"::ffff:127.0.0.1", "127.0.0.1"}, {"[::ffff:127.0.0.1]", "127.0.0.1"},
        {"[::1]", "::1"},                 {"0:0:0:0:0:0:0:1", "::1"},    {"FE80::A", "fe80::a"},
        {"LocalHost", "localhost"},       {"modem.lab.", "modem.lab"},   {"Modem.Lab", "modem.lab"},
        {"127.0.0.256", "127.0.0.256"},   {"127.0.0.1 x", "127.0.0.1 x"},
    };
    for (const auto& [address, canonical] : cases) EXPECT_EQ(CanonicalHost(address), canonical) << address;
}

TEST(DeviceIdentityTest, PortsAreInTheNameOnlyWhenTheyAreNotTheDefault)
{
    const std::vector<std::pair<DeviceIdentity, std::string>> cases = {
        {{"127.0.0.2", 80, 21}, "127.0.0.2"},
        {{"127.0.0.2", 8081, 21}, "127.0.0.2+web8081"},
        {{"127.0.0.2", 80, 2121}, "127.0.0.2+ftp2121"},
        {{"127.0.0.2", 8081, 2121}, "127.0.0.2+web8081+ftp2121"},
        {{"::1", 8081, 21}, "%3A%3A1+web8081"},
        // A host that looks like a name with a port cannot take another's.
        {{"127.0.0.2:8081", 80, 21}, "127.0.0.2%3A8081"},
        {{"127.0.0.2+web8081", 80, 21}, "127.0.0.2%2Bweb8081"},
    };
    std::set<std::string> names;
    for (const auto& [identity, name] : cases) {
        EXPECT_EQ(DeviceDirectoryName(identity), name) << identity.host;
        names.insert(DeviceDirectoryName(identity));
    }
    EXPECT_EQ(names.size(), cases.size());
}

}  // namespace
