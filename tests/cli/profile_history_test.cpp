// SPDX-License-Identifier: MIT
// Profile backups of two modems, upgraded one after the other and at once:
// each run keeps its own modem's profile in that modem's history, and
// profback.bin holds the profile of a run of them. A history kept under a
// former name is found.
#include <gtest/gtest.h>

#include <future>

#include "tests/cli/fleet_fixture.h"
#include "tests/support/drive_c.h"

namespace {

class ProfileHistoryTest : public FleetTest {
protected:
    std::filesystem::path Staging() const { return m_dir / "drive_c" / "varn" / "ndxu511"; }

    // The profile the simulator's device `index` served.
    std::string Profile(int index) const
    {
        return ReadFileText(m_dir / "sim-0" / "ftp" / ("device-" + std::to_string(index)) / "prof.bin");
    }

    std::filesystem::path History(const SimulatedDevice& device) const
    {
        return Staging() / "history" / DeviceHistoryName(device.host, device.httpPort, device.ftpPort);
    }

    // The backups in the history of `device`.
    std::vector<std::string> Kept(const SimulatedDevice& device) const
    {
        std::vector<std::string> backups;
        for (const auto& entry : std::filesystem::directory_iterator(History(device)))
            if (IsProfileBackup(entry.path())) backups.push_back(ReadFileText(entry.path()));
        return backups;
    }

    ProcessResult Upgrade(const SimulatedDevice& device)
    {
        return Run({"--address", device.host, "--http-port", std::to_string(device.httpPort), "--ftp-port",
                    std::to_string(device.ftpPort), "--log-name", "ndxulog-" + device.host + ".txt"});
    }

    void ExpectEachProfileKeptOnce(const std::vector<SimulatedDevice>& devices)
    {
        ASSERT_NE(Profile(0), Profile(1));
        EXPECT_EQ(Kept(devices[0]), std::vector<std::string>{Profile(0)});
        EXPECT_EQ(Kept(devices[1]), std::vector<std::string>{Profile(1)});
    }
};

TEST_F(ProfileHistoryTest, ModemsUpgradedOneAfterTheOtherKeepTheirOwnProfiles)
{
    const std::vector<SimulatedDevice> devices = Simulate(2, "127.0.0.1");
    for (const SimulatedDevice& device : devices) {
        const ProcessResult result = Upgrade(device);
        EXPECT_EQ(result.exitStatus, 0) << device.host << result.err;
    }
    ExpectEachProfileKeptOnce(devices);
    EXPECT_EQ(ReadFileText(Staging() / "profback.bin"), Profile(1));
}

TEST_F(ProfileHistoryTest, ModemsUpgradedAtOnceKeepTheirOwnProfiles)
{
    const std::vector<SimulatedDevice> devices = Simulate(2, "127.0.0.1");
    std::future<ProcessResult> first = std::async(std::launch::async, [&] { return Upgrade(devices[0]); });
    const ProcessResult second = Upgrade(devices[1]);
    const ProcessResult firstResult = first.get();
    EXPECT_EQ(firstResult.exitStatus, 0) << firstResult.err;
    EXPECT_EQ(second.exitStatus, 0) << second.err;
    ExpectEachProfileKeptOnce(devices);
    const std::string backup = ReadFileText(Staging() / "profback.bin");
    EXPECT_TRUE(backup == Profile(0) || backup == Profile(1)) << backup;
}

TEST_F(ProfileHistoryTest, AHistoryUnderTheAddressAloneMovesToTheDevicesNameOnce)
{
    const SimulatedDevice device = Simulate(1, "127.0.0.1").front();
    const std::filesystem::path former = Staging() / "history" / "127.0.0.1";
    std::filesystem::create_directories(former);
    for (const auto& directory : {Staging() / "history", former})
        std::filesystem::permissions(directory, std::filesystem::perms::owner_all);
    WriteFileText(former / "profback-20261101T120000Z.bin", "an earlier profile");

    const ProcessResult first = Upgrade(device);
    EXPECT_EQ(first.exitStatus, 0) << first.err;
    EXPECT_FALSE(std::filesystem::exists(former));
    EXPECT_EQ(ReadFileText(History(device) / "profback-20261101T120000Z.bin"), "an earlier profile");
    EXPECT_EQ(Kept(device).size(), 2u);
    const std::string entry = "Device History Moved from C:\\varn\\ndxu511\\history\\127.0.0.1 to C:\\varn\\ndxu511\\history\\" +
                              History(device).filename().string();
    const std::filesystem::path log = m_dir / "temp" / "ndxulog-127.0.0.1.txt";
    const std::string firstLog = ReadFileText(log);
    EXPECT_NE(firstLog.find(entry), std::string::npos) << firstLog;

    // The log goes on with the second run, which moves nothing.
    const ProcessResult second = Upgrade(device);
    EXPECT_EQ(second.exitStatus, 0) << second.err;
    EXPECT_EQ(ReadFileText(log).substr(firstLog.size()).find("Device History Moved"), std::string::npos);
    EXPECT_EQ(Kept(device).size(), 3u);
}

}  // namespace
