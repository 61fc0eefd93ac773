// SPDX-License-Identifier: MIT
// Fleet runs of ndxu-upgrade against simulated devices: simulators with
// several devices, each device on a loopback address of its own, an
// inventory listing them, a package, and the program run with all of it.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/drive_c.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

struct SimulatedDevice {
    std::string host;
    int httpPort = 0;
    int ftpPort = 0;
    std::filesystem::path transcript;

    // The inventory line of the device.
    std::string InventoryLine() const;
    // The number of HTTP requests and FTP commands the device received.
    std::size_t RecordCount() const;
};

// One simulator process with `count` devices on consecutive loopback
// addresses from `firstHost`, stopped with the object.
class SimulatedDevices {
public:
    SimulatedDevices(const std::filesystem::path& directory, int count, const std::string& firstHost,
                     std::vector<std::string> options);
    const std::vector<SimulatedDevice>& Devices() const { return m_devices; }

private:
    std::unique_ptr<LaunchedProcess> m_process;
    std::vector<SimulatedDevice> m_devices;
};

class FleetTest : public ::testing::Test {
protected:
    static constexpr char kPassword[] = "secret";
    static constexpr std::size_t kImageSize = 300000;

    void SetUp() override;

    // Starts a simulator of `count` devices from `firstHost` (password
    // kPassword); returns its devices, which the inventory lists from then on.
    const std::vector<SimulatedDevice>& Simulate(int count, const std::string& firstHost,
                                                 std::vector<std::string> options = {});
    // The devices of every simulator started, in order.
    std::vector<SimulatedDevice> AllDevices() const;
    // The device's history directory on the run's drive C:.
    std::filesystem::path History(const SimulatedDevice& device) const
    {
        return m_dir / "drive_c" / "varn" / "ndxu511" / "history" /
               DeviceHistoryName(device.host, device.httpPort, device.ftpPort);
    }
    // The inventory file of the devices simulated.
    std::filesystem::path WriteInventory(const std::string& extra = {});

    // ndxu-upgrade with `args`, the password in the environment.
    ProcessResult Run(std::vector<std::string> args);
    // The arguments that start the program, for a run the test watches itself.
    std::vector<std::string> Command(std::vector<std::string> args) const;
    std::map<std::string, std::string> Environment() const;

    // The run log of the device at `host`.
    std::string DeviceLog(const std::string& host) const;

    TempDir m_dir;
    std::vector<std::unique_ptr<SimulatedDevices>> m_simulators;
};

// The lines of `text`.
std::vector<std::string> Lines(const std::string& text);
