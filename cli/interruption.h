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

class InterruptionWatch : public ConsoleObserver {
public:
    // Told on the watching thread, after the log's last entry and before the
    // program ends: the exit status and that entry.
    using LastWords = std::function<void(int exitStatus, const std::string& entry)>;

    // From now on an interruption (see platform/console/interruptions.h)
    // writes the log's last entry, tells `lastWords` and ends the program.
    void Start(LastWords lastWords = {});

    // Follows the run by its status texts, to say where it was interrupted.
    void OnStatus(const std::string& status) override;

    // The run log's entry for an interruption by `signalName` ("SIGINT") now.
    std::string Entry(const std::string& signalName);

private:
    enum class Stage { Web, DownloadMode, Uploading, Uploaded };

    std::mutex m_mutex;
    Stage m_stage = Stage::Web;
    std::string m_lastStatus;
};
