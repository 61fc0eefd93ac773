// SPDX-License-Identifier: MIT
#include "tests/support/device_fixture.h"

DevSim& DeviceTest::StartDevice(std::vector<std::string> options)
{
    m_sim = std::make_unique<DevSim>(std::move(options));
    m_env.Set("NDXU_HTTP_PORT", std::to_string(m_sim->HttpPort()));
    m_env.Set("NDXU_FTP_PORT", std::to_string(m_sim->FtpPort()));
    m_env.Set("NDXU_CONNECT_TIMEOUT", "5");
    m_env.Set("NDXU_RECEIVE_TIMEOUT", "5");
    return *m_sim;
}

void DeviceTest::TearDown()
{
    WizardTest::TearDown();
    m_sim.reset();
}
