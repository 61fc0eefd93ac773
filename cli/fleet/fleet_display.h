// SPDX-License-Identifier: MIT
// How a fleet run shows its devices on standard error while they run. On a
// terminal, a block of lines at the bottom shows each running device (its
// last status and the progress of its transfer, or that it waits to be
// tried again) and is redrawn in place; a device that ends, or whose attempt
// failed, leaves a line above it. Elsewhere, a plain line as each
// device starts and ends. Device text is escaped before it is shown.
#pragma once

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/fleet/fleet_observer.h"
#include "platform/console/terminal.h"

// The line a device leaves when it has ended: name, result and what says
// most about it (the reason, else the version), and whether its run log is
// incomplete.
std::string EndedLine(const DeviceRun& run, std::size_t nameWidth);

// The line a device leaves when its attempt failed with `failed` and it
// waits to be tried again: name, the attempt, its result and reason, and
// when the next begins (run.status).
std::string RetryLine(const DeviceRun& run, const ResultFacts& failed, std::size_t nameWidth);

// The width of the name column for `devices`.
std::size_t NameWidth(const std::vector<FleetDevice>& devices);

class LiveDisplay : public FleetObserver {
public:
    LiveDisplay(std::ostream& out, TerminalSize size, const std::vector<FleetDevice>& devices);

    void Started(const DeviceRun& run) override;
    void Reported(const DeviceRun& run, const nlohmann::ordered_json& event, const std::string& line) override;
    void Retrying(const DeviceRun& run, const ResultFacts& failed, const std::string& line) override;
    void Ended(const DeviceRun& run) override;
    void Tick() override;
    void Notice(const std::string& text) override;

private:
    using Clock = std::chrono::steady_clock;

    void Erase();
    void Draw();
    std::string Headline() const;

    std::ostream& m_out;
    TerminalSize m_size;
    std::size_t m_nameWidth;
    std::size_t m_devices;
    std::size_t m_ended = 0;
    std::size_t m_failed = 0;
    std::vector<const DeviceRun*> m_running;
    int m_drawnLines = 0;
    bool m_changed = false;
    Clock::time_point m_lastDrawn{};
};

class LineDisplay : public FleetObserver {
public:
    LineDisplay(std::ostream& out, const std::vector<FleetDevice>& devices);

    void Started(const DeviceRun& run) override;
    void Reported(const DeviceRun&, const nlohmann::ordered_json&, const std::string&) override {}
    void Retrying(const DeviceRun& run, const ResultFacts& failed, const std::string& line) override;
    void Ended(const DeviceRun& run) override;
    void Tick() override {}
    void Notice(const std::string& text) override;

private:
    std::ostream& m_out;
    std::size_t m_nameWidth;
};
