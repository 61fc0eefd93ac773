// SPDX-License-Identifier: MIT
// One device of a fleet run, as the supervisor and the displays see it.
#pragma once

#include <optional>
#include <string>

#include "cli/fleet/inventory.h"
#include "cli/result_line.h"

// Retrying: an attempt failed, and the device waits to be tried again.
enum class DeviceState { Waiting, Running, Retrying, Ended };

struct DeviceRun {
    FleetDevice device;
    DeviceState state = DeviceState::Waiting;
    std::string status;                  // the last status text
    std::optional<int> percent;          // of the transfer under way
    std::optional<ResultFacts> result;   // once ended
    std::string resultLine;              // the result as its JSON line, without the line feed
    int attempts = 0;                    // attempts started (more than one with --retries)
};
