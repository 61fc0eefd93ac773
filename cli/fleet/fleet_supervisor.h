// SPDX-License-Identifier: MIT
// The supervisor of a fleet run: starts a process for each device, a few at a
// time, reads their JSON lines in one loop, stops a device whose run takes
// too long, passes SIGINT and SIGTERM on to the running devices, and collects
// every device's result. With retries, a device whose attempt failed before
// it was changed (see retry_rule.h) is started again after a wait, within its
// --device-timeout. After the first SIGINT or SIGTERM no device starts
// and the running ones stop as a single run does (one in an upload finishes
// it first); a second one is passed on too, and kills them after the grace.
// SIGHUP starts no further device and leaves the running ones alone. After
// either, a device waiting to be tried again ends with its last attempt's
// result.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/fleet/fleet_device.h"
#include "cli/fleet/fleet_observer.h"
#include "platform/process/stop_requests.h"

struct SupervisorSettings {
    std::string program;                                                   // started once per device
    // its arguments for a device's attempt (from 1)
    std::function<std::vector<std::string>(const FleetDevice&, int)> arguments;
    std::string input;                                                     // its standard input
    int jobs = 1;                                                          // devices at once
    std::optional<int> maxFailures;           // no device is started after this many have failed
    int retries = 0;                          // further attempts of a device that failed before it was changed
    std::chrono::seconds deviceTimeout{3600};  // the most one device's attempts and waits may take
    std::chrono::milliseconds stopGrace{5000};  // from the second SIGINT or SIGTERM, or the timeout's, to SIGKILL
};

struct FleetOutcome {
    std::vector<DeviceRun> runs;          // every device, in the inventory's order, each with its result
    std::optional<StopRequest> stoppedBy;  // the first SIGINT or SIGTERM the run received
    bool hungUp = false;                  // SIGHUP: the terminal went away; no device started after it
    double duration = 0;                  // seconds
};

// Runs every device; returns once each has a result. Only in a program that
// runs one thread (SIGINT and SIGTERM are held while it runs).
FleetOutcome SuperviseFleet(const std::vector<FleetDevice>& devices, const SupervisorSettings& settings,
                            FleetObserver& observer);
