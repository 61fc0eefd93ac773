// SPDX-License-Identifier: MIT
// The command line of a fleet run: several devices, each upgraded by a
// process of its own.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

inline constexpr int kDefaultJobs = 4;

struct FleetOptions {
    std::vector<std::string> addresses;  // every --address, in order
    std::optional<std::string> inventory;
    int jobs = kDefaultJobs;              // devices upgraded at once
    std::optional<int> maxFailures;       // start no device after this many failures
    std::optional<int> deviceTimeout;     // seconds one device's run may take in all
    bool allowAliases = false;            // entries that reach one address and ports are no duplicates
    int retries = 0;                      // further attempts of a device that failed before it was changed

    // Several devices, or an inventory (of any length): a fleet run.
    bool IsFleet() const { return inventory.has_value() || addresses.size() > 1; }
};

// Adds --inventory, --jobs, --max-failures, --device-timeout, --retries and --allow-aliases to
// `app`; --inventory excludes --address.
void AddFleetOptions(CLI::App& app, FleetOptions& options);
