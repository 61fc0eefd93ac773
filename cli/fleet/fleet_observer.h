// SPDX-License-Identifier: MIT
// What the supervisor of a fleet run tells the displays and the JSON output
// as devices start, report and end.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "cli/fleet/fleet_device.h"

class FleetObserver {
public:
    virtual ~FleetObserver() = default;
    virtual void Started(const DeviceRun& run) = 0;
    // An event line the device's process wrote (not its result): the object
    // and the line it was read from.
    virtual void Reported(const DeviceRun& run, const nlohmann::ordered_json& event, const std::string& line) = 0;
    // The device's attempt run.attempts failed with `failed` and the device
    // will be tried again: `line` is the JSON line that says so, run.status
    // when.
    virtual void Retrying(const DeviceRun& run, const ResultFacts& failed, const std::string& line) = 0;
    // The device's run has ended (or will not start); run.result says how.
    virtual void Ended(const DeviceRun& run) = 0;
    // Called at every turn of the supervisor's loop, a few times a second at least.
    virtual void Tick() = 0;
    // A line for the user about the whole run (it was stopped, its terminal
    // went away).
    virtual void Notice(const std::string&) {}
};

// Tells each of several observers, in order.
class FleetObservers : public FleetObserver {
public:
    explicit FleetObservers(std::vector<FleetObserver*> observers) : m_observers(std::move(observers)) {}

    void Started(const DeviceRun& run) override
    {
        for (FleetObserver* observer : m_observers) observer->Started(run);
    }
    void Reported(const DeviceRun& run, const nlohmann::ordered_json& event, const std::string& line) override
    {
        for (FleetObserver* observer : m_observers) observer->Reported(run, event, line);
    }
    void Retrying(const DeviceRun& run, const ResultFacts& failed, const std::string& line) override
    {
        for (FleetObserver* observer : m_observers) observer->Retrying(run, failed, line);
    }
    void Ended(const DeviceRun& run) override
    {
        for (FleetObserver* observer : m_observers) observer->Ended(run);
    }
    void Tick() override
    {
        for (FleetObserver* observer : m_observers) observer->Tick();
    }
    void Notice(const std::string& text) override
    {
        for (FleetObserver* observer : m_observers) observer->Notice(text);
    }

private:
    std::vector<FleetObserver*> m_observers;
};
