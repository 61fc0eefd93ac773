// SPDX-License-Identifier: MIT
// How the fleet runs one device: this program again, for that device alone,
// with JSON lines on its standard output and the password on its standard
// input.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/fleet/inventory.h"
#include "cli/options.h"

// The arguments of the device's process: --json --password-stdin, the
// device's address and ports, its own run log, which attempt it is (from 1),
// and every option of the fleet run that applies to one device.
std::vector<std::string> DeviceArguments(const Options& options, const FleetDevice& device, int attempt);

// The file name of the device's run log: ndxulog-<name>.txt, named after the
// device's identity as its history is (DeviceDirectoryName).
std::string DeviceLogName(const FleetDevice& device);

// Where the device's process keeps its run log, as a path of this system;
// none without a temporary directory.
std::optional<std::string> DeviceLogPath(const FleetDevice& device);
