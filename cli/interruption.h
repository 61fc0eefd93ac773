// SPDX-License-Identifier: MIT
// Ctrl-C (SIGINT), SIGTERM and SIGHUP during a run. SIGINT and SIGTERM stop
// the run: the run log gets a last entry saying where and what the device
// may be left with, and the program ends with 128 + the signal's number
// (130, 143), even while a transfer blocks. During an upload the first of
// them lets that upload finish and stops the run at its next phase; a second
// one stops it at once. SIGHUP (the terminal is gone) stops nothing: the run
// goes on to its end, and the program ends with 129.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "platform/console/console_observer.h"
#include "platform/console/interruptions.h"
#include "upgrade/run_observer.h"

// 128 + SIGHUP's number: the terminal went away, the run went on to its end.
inline constexpr int kExitHungUp = 129;

// Follows the run by its phase, to say what the device may be left with, and
// the host's status line, to say where the run was. The program's last line
// on standard error names the phase reached and the run log's path.
class InterruptionWatch : public ConsoleObserver, public RunObserver {
public:
    // Told before the program ends, after the log's last entry: the exit
    // status and that entry.
    using LastWords = std::function<void(int exitStatus, const std::string& entry)>;
    // Shows the user a line of its own (on standard error, apart from any
    // progress meter); without one, lines go to standard error as they are.
    using Notice = std::function<void(const std::string& text)>;

    // From now on interruptions (see platform/console/interruptions.h) are
    // taken as this class says.
    void Start(LastWords lastWords = {}, Notice notice = {});

    void OnStatus(const std::string& status) override;
    // A stop that waited for an upload ends the program here.
    void OnPhase(const RunReport& report) override;

    // After the run has ended: a stop that waited for an upload which ended
    // with the run (it failed) ends the program here.
    void RunEnded();
    // Whether the terminal went away (SIGHUP) during the run.
    bool HungUp();

    // Whether a first SIGINT or SIGTERM now lets the upload under way finish.
    bool WaitsForUpload();
    // The run log's entry for an interruption by `signalName` ("SIGINT") now.
    std::string Entry(const std::string& signalName);

private:
    // Whether the program ends now for `interruption`.
    bool Take(const Interruption& interruption);
    bool WaitsForUploadLocked() const;
    // Writes the last entry and tells the last words; the caller ends the
    // program. Once only: a second caller waits here for the end.
    void Finish(int exitStatus, const std::string& entry);
    [[noreturn]] void FinishWaitedStop(const Interruption& interruption, const char* howTheUploadEnded);

    std::mutex m_mutex;
    RunPhase m_phase = RunPhase::None;
    std::string m_lastStatus;
    std::string m_log;  // the run log's host path, once the run has said it
    std::string m_uploading;  // the file of the upload under way
    std::optional<Interruption> m_waiting;  // a stop waiting for the upload of m_waitedUpload
    std::string m_waitedUpload;
    bool m_hungUp = false;

    LastWords m_lastWords;
    Notice m_notice;
    std::mutex m_finishing;
};
