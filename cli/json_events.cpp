// SPDX-License-Identifier: MIT
#include "cli/json_events.h"

#include <cmath>
#include <ostream>
#include <utility>

#include "cli/result_line.h"
#include "upgrade/run_result.h"
#include "upgrade/utc_time.h"

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(250);
// How long a signal's result waits for a line that is being written (to a
// reader that may have stopped reading).
constexpr auto kInterruptionWait = std::chrono::seconds(2);

const char* IconName(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None: return "none";
    case MessageIcon::Exclamation: return "exclamation";
    case MessageIcon::Stop: return "stop";
    }
    return "none";
}

}  // namespace

JsonEvents::JsonEvents(std::ostream& out, std::string device) : m_out(out), m_device(std::move(device)) {}

namespace {

// A failure's reason, as the run gave it; none for a success.
std::string ReasonOf(const RunReport& report)
{
    return Succeeded(ResultOf(report.end)) ? std::string() : report.failure.Explanation();
}

}  // namespace

void JsonEvents::OnStatus(const std::string& text)
{
    const std::lock_guard lock(m_mutex);
    Json event = Event("status");
    event["text"] = text;
    Write(event);
}

void JsonEvents::OnMessage(const std::string& text, MessageIcon icon, const std::string& reason)
{
    const std::lock_guard lock(m_mutex);
    Json event = Event("message");
    event["text"] = text;
    event["icon"] = IconName(icon);
    if (!reason.empty()) event["reason"] = reason;
    Write(event);
}

void JsonEvents::OnProgress(const ProgressReport& progress)
{
    const std::lock_guard lock(m_mutex);
    const Clock::time_point now = Clock::now();
    const bool final = progress.total > 0 && progress.done == progress.total;
    if (final ? m_finalProgress : m_lastProgress && now - *m_lastProgress < kProgressInterval) return;
    m_lastProgress = now;
    m_finalProgress = final;
    Json event = Event("progress");
    event["file"] = progress.name;
    event["direction"] = progress.upload ? "upload" : "download";
    event["done"] = progress.done;
    event["total"] = progress.total;
    Write(event);
}

void JsonEvents::OnProgressEnd()
{
    const std::lock_guard lock(m_mutex);
    m_lastProgress.reset();
    m_finalProgress = false;
}

void JsonEvents::OnPhase(const RunReport& report)
{
    const std::lock_guard lock(m_mutex);
    m_report = report;
    Json event = Event("phase");
    event["phase"] = PhaseName(report.phase);
    if (!report.versionBefore.empty()) event["version"] = report.versionBefore;
    if (!report.backup.empty()) event["backup"] = report.backup;
    if (!report.uploading.empty()) event["file"] = report.uploading;
    Write(event);
}

void JsonEvents::OnReport(const RunReport& report)
{
    const std::lock_guard lock(m_mutex);
    m_report = report;
}

void JsonEvents::Result(const RunReport& report, int exitStatus)
{
    const std::lock_guard lock(m_mutex);
    Write(ResultEvent(ResultOf(report.end), exitStatus, ReasonOf(report), report));
}

void JsonEvents::Interrupted(int exitStatus, const std::string& entry)
{
    // The lock is kept: the program ends right after this line, and no other
    // line may follow it.
    if (!m_mutex.try_lock_for(kInterruptionWait)) return;
    Write(ResultEvent(RunResult::Interrupted, exitStatus, entry, m_report));
}

JsonEvents::Json JsonEvents::Event(const char* kind) const
{
    Json event;
    event["time"] = UtcTimestamp();
    event["device"] = m_device;
    event["event"] = kind;
    return event;
}

JsonEvents::Json JsonEvents::ResultEvent(RunResult result, int exitStatus, const std::string& reason,
                                         const RunReport& report) const
{
    const std::chrono::duration<double> took = Clock::now() - m_started;
    ResultFacts facts = FactsOfReport(report);
    facts.result = result;
    facts.exitStatus = exitStatus;
    if (!reason.empty()) facts.reason = reason;
    facts.duration = std::round(took.count() * 1000) / 1000;
    return ResultLineObject(m_device, facts, UtcTimestamp());
}

void JsonEvents::Write(const Json& event)
{
    // Device text that is not UTF-8 cannot be JSON: its bad bytes become U+FFFD.
    m_out << event.dump(-1, ' ', false, Json::error_handler_t::replace) << std::endl;
}
