// SPDX-License-Identifier: MIT
// A wizard whose device is the simulator, reached on loopback.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/support/devsim.h"
#include "tests/support/wizard_fixture.h"

inline constexpr char kDeviceAddress[] = "127.0.0.1";

class DeviceTest : public WizardTest {
protected:
    // Starts the simulator with its own options and points the Internet
    // layer's ports at it; time-outs are short so that a silent device ends
    // a test quickly.
    DevSim& StartDevice(std::vector<std::string> options = {});
    DevSim& Device() { return *m_sim; }

    void TearDown() override;

    std::unique_ptr<DevSim> m_sim;
};
