// SPDX-License-Identifier: MIT
// Ctrl-C (SIGINT) and SIGTERM during a run: the run log gets a last entry
// saying where the run was stopped and what the device may be left with, and
// the program ends at once with 128 + the signal's number (130, 143), even
// while a transfer blocks.
#pragma once

#include <functional>
#include <mutex>
#include <string>

#include "platform/console/console_observer.h"
#include "upgrade/run_observer.h"

// Follows the run by its phase, to say what the device may be left with, and
// the host's status line, to say where the run was.
class InterruptionWatch : public ConsoleObserver, public RunObserver {
public:
    // Told on the watching thread, after the log's last entry and before the
    // program ends: the exit status and that entry.
    using LastWords = std::function<void(int exitStatus, const std::string& entry)>;

    // From now on an interruption (see platform/console/interruptions.h)
    // writes the log's last entry, tells `lastWords` and ends the program.
    void Start(LastWords lastWords = {});

    void OnStatus(const std::string& status) override;
    void OnPhase(const RunReport& report) override;

    // The run log's entry for an interruption by `signalName` ("SIGINT") now.
    std::string Entry(const std::string& signalName);

private:
    std::mutex m_mutex;
    RunPhase m_phase = RunPhase::None;
    std::string m_lastStatus;
};
