// SPDX-License-Identifier: MIT
// The JSON lines of a fleet run on standard output: every device's lines as
// its process wrote them, each line whole, a line for each attempt tried
// again, each device's result last.
#pragma once

#include <iosfwd>

#include "cli/fleet/fleet_observer.h"

class JsonOutput : public FleetObserver {
public:
    explicit JsonOutput(std::ostream& out) : m_out(out) {}

    void Started(const DeviceRun&) override {}
    void Reported(const DeviceRun& run, const nlohmann::ordered_json& event, const std::string& line) override;
    void Retrying(const DeviceRun& run, const ResultFacts& failed, const std::string& line) override;
    void Ended(const DeviceRun& run) override;
    void Tick() override {}

private:
    std::ostream& m_out;
};
