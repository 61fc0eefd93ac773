// SPDX-License-Identifier: MIT
// One device of a fleet run, as the supervisor and the displays see it.
#pragma once

#include <optional>
#include <string>

#include "cli/inventory.h"

// How a device's run ended; the fields of its JSON result line.
struct DeviceResult {
    std::string result;  // "completed", "up_to_date", "password_refused", ..., "crashed", "timed_out", "not_started"
    std::optional<int> exitStatus;
    std::optional<std::string> reason;
    std::optional<std::string> versionBefore;
    std::optional<std::string> versionAfter;
    std::optional<std::string> backup;
    std::optional<std::string> log;
    std::optional<bool> changed;  // whether the run changed the device; for a check, whether an upgrade would
    double duration = 0;  // seconds
};

enum class DeviceState { Waiting, Running, Ended };

struct DeviceRun {
    FleetDevice device;
    DeviceState state = DeviceState::Waiting;
    std::string status;                  // the last status text
    std::optional<int> percent;          // of the transfer under way
    std::optional<DeviceResult> result;  // once ended
    std::string resultLine;              // the result as its JSON line, without the line feed
};

// Whether the device did what the run asked of it (an upgrade, or a check).
bool Succeeded(const DeviceResult& result);
