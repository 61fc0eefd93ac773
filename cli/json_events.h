// SPDX-License-Identifier: MIT
// ndxu-upgrade --json: the run as JSON Lines on standard output, one object a
// line, each with "time" (UTC, milliseconds), "device" and "event":
//   phase     phase ("input_check", "package_check", "web_login",
//             "version_check", "download_mode", "ftp_session", "backup",
//             "upload", "completed", "confirmation"), and what the run knows
//             by then: version (found on the device), backup, file (upload)
//   status    text
//   message   text, icon ("none", "exclamation", "stop"), reason (when given)
//   progress  file, direction ("upload", "download"), done, total (0: unknown);
//             at most four a second per transfer, and the last with done == total
//   result    result, exit, reason, device_state, next_step, version_before, version_after, backup, log, log_error,
//             package_version, signed_by, trusted_comment, changed,
//             duration (seconds); exactly once, last
// Texts go out as the run gave them: what came from the device was masked
// where it entered (platform/inet/device_text.h).
#pragma once

#include <chrono>
#include <iosfwd>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "upgrade/run_result.h"
#include "platform/console/console_observer.h"
#include "upgrade/run_observer.h"
#include "upgrade/run_report.h"

class JsonEvents : public ConsoleObserver, public RunObserver {
public:
    // `device`: the address as given. The run's duration counts from here.
    JsonEvents(std::ostream& out, std::string device);

    void OnStatus(const std::string& text) override;
    void OnMessage(const std::string& text, MessageIcon icon, const std::string& reason) override;
    void OnProgress(const ProgressReport& progress) override;
    void OnProgressEnd() override;

    void OnPhase(const RunReport& report) override;
    // Keeps what the run has reported so far, for a result written before
    // the run has ended.
    void OnReport(const RunReport& report) override;

    // The result of the run that ended with `report`, with its exit status.
    void Result(const RunReport& report, int exitStatus);
    // The result of a run stopped by a signal, from any thread: `entry` is
    // the run log's last entry. Nothing is written after it.
    void Interrupted(int exitStatus, const std::string& entry);

private:
    using Json = nlohmann::ordered_json;
    using Clock = std::chrono::steady_clock;

    Json Event(const char* kind) const;
    Json ResultEvent(RunResult result, int exitStatus, const std::string& reason, const RunReport& report) const;
    // Writes one line; the caller holds m_mutex.
    void Write(const Json& event);

    std::ostream& m_out;
    const std::string m_device;
    const Clock::time_point m_started = Clock::now();
    std::timed_mutex m_mutex;

    RunReport m_report;

    // The transfer under way: when its last line went out, and whether its
    // final line has.
    std::optional<Clock::time_point> m_lastProgress;
    bool m_finalProgress = false;
};
