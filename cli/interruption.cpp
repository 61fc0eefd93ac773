// SPDX-License-Identifier: MIT
#include "cli/interruption.h"

#include <iostream>
#include <utility>

#include "log/run_log.h"
#include "platform/console/terminal_text.h"
#include "upgrade/run_phase.h"

namespace {

// What the device may be left with when the run stops in `phase`.
const char* DeviceLeftWith(RunPhase phase)
{
    switch (phase) {
    case RunPhase::None:
    case RunPhase::InputCheck:
    case RunPhase::PackageCheck:
    case RunPhase::WebLogin:
    case RunPhase::VersionCheck: return "The device's firmware was not changed.";
    case RunPhase::DownloadMode:
    case RunPhase::FtpSession:
    case RunPhase::Backup: return "The device may be waiting in firmware download mode.";
    case RunPhase::Upload: return "The device may hold a partial firmware image.";
    case RunPhase::Completed:
    case RunPhase::Confirmation: return "The firmware upload had completed.";
    }
    return "";
}

// The program's last line: "ndxu-upgrade: interrupted in phase upload; the run
// log /tmp/ndxulog.txt says where" (without a phase before the run has
// started, without a path while the log's is not known).
std::string InterruptedLine(RunPhase phase, const std::string& log, const std::string& logProblem)
{
    std::string line = "ndxu-upgrade: interrupted";
    if (phase != RunPhase::None) line += std::string(" in phase ") + PhaseName(phase);
    line += "; the run log";
    if (!log.empty()) line += " " + EscapeControlCharacters(log);
    return line + (logProblem.empty() ? " says where" : " is incomplete: " + logProblem);
}

}  // namespace

void InterruptionWatch::Start(LastWords lastWords, Notice notice)
{
    m_lastWords = std::move(lastWords);
    m_notice = std::move(notice);
    HandleInterruptions([this](const Interruption& interruption) { return Take(interruption); });
}

bool InterruptionWatch::Take(const Interruption& interruption)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (interruption.hangUp) {
        m_hungUp = true;
        const std::string status = m_lastStatus;
        lock.unlock();
        WriteLogLine(interruption.name + " received at \"" + status +
                     "\": the terminal is gone; the run goes on to its end.");
        return false;
    }
    if (interruption.mayWait && WaitsForUploadLocked()) {
        m_waiting = interruption;
        m_waitedUpload = m_uploading;
        const std::string file = m_uploading;
        lock.unlock();
        WriteLogLine(interruption.name + " received during the upload of " + file +
                     ": the run stops once that upload has ended.");
        if (m_notice)
            m_notice("ndxu-upgrade: " + interruption.name + ": the upload of " + file +
                     " under way finishes first, then the run stops; a second SIGINT or SIGTERM stops it at once");
        return false;
    }
    lock.unlock();
    Finish(interruption.exitStatus, Entry(interruption.name));
    return true;
}

void InterruptionWatch::Finish(int exitStatus, const std::string& entry)
{
    // Never unlocked: the program ends right after.
    m_finishing.lock();
    WriteLastLogLine(entry);
    if (m_lastWords) m_lastWords(exitStatus, entry);
    std::string line;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        line = InterruptedLine(m_phase, m_log, RunLogWriteProblem());
    }
    if (m_notice)
        m_notice(line);
    else
        std::cerr << line << std::endl;
}

void InterruptionWatch::FinishWaitedStop(const Interruption& interruption, const char* howTheUploadEnded)
{
    std::string entry;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        entry = "Run interrupted by " + interruption.name + " after the upload of " + m_waitedUpload + " " +
                howTheUploadEnded + ", at \"" + m_lastStatus + "\". " + DeviceLeftWith(m_phase);
    }
    Finish(interruption.exitStatus, entry);
    EndInterrupted(interruption.exitStatus);
}

void InterruptionWatch::OnStatus(const std::string& status)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_lastStatus = status;
}

void InterruptionWatch::OnPhase(const RunReport& report)
{
    std::optional<Interruption> waiting;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_phase = report.phase;
        m_log = report.log;
        m_uploading = report.uploading;
        waiting = m_waiting;
    }
    if (waiting) FinishWaitedStop(*waiting, "completed");
}

void InterruptionWatch::RunEnded()
{
    std::optional<Interruption> waiting;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        waiting = m_waiting;
    }
    if (waiting) FinishWaitedStop(*waiting, "ended without completing");
}

bool InterruptionWatch::HungUp()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_hungUp;
}

bool InterruptionWatch::WaitsForUpload()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return WaitsForUploadLocked();
}

bool InterruptionWatch::WaitsForUploadLocked() const { return !m_waiting && m_phase == RunPhase::Upload; }

std::string InterruptionWatch::Entry(const std::string& signalName)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return "Run interrupted by " + signalName + " at \"" + m_lastStatus + "\". " + DeviceLeftWith(m_phase);
}
