// SPDX-License-Identifier: MIT
#include "cli/fleet/fleet_json_output.h"

#include <ostream>

#include "cli/fleet/fleet_results.h"

void JsonOutput::Reported(const DeviceRun& run, const nlohmann::ordered_json& event, const std::string& line)
{
    m_out << FleetLine(run.device, event, line) << '\n' << std::flush;
}

void JsonOutput::Retrying(const DeviceRun&, const ResultFacts&, const std::string& line) { m_out << line << '\n' << std::flush; }

void JsonOutput::Ended(const DeviceRun& run) { m_out << run.resultLine << '\n' << std::flush; }
