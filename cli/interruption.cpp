// SPDX-License-Identifier: MIT
#include "cli/interruption.h"

#include <iostream>
#include <utility>

#include "log/run_log.h"
#include "platform/console/interruptions.h"

void InterruptionWatch::Start(LastWords lastWords)
{
    HandleInterruptions([this, lastWords = std::move(lastWords)](const Interruption& interruption) {
        const std::string entry = Entry(interruption.name);
        WriteLastLogLine(entry);
        if (lastWords) lastWords(interruption.exitStatus, entry);
        const std::string logProblem = RunLogWriteProblem();
        if (logProblem.empty())
            std::cerr << "ndxu-upgrade: interrupted; the run log says where" << std::endl;
        else
            std::cerr << "ndxu-upgrade: interrupted; the run log is incomplete: " << logProblem << std::endl;
    });
}

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

}  // namespace

void InterruptionWatch::OnStatus(const std::string& status)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_lastStatus = status;
}

void InterruptionWatch::OnPhase(const RunReport& report)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_phase = report.phase;
}

std::string InterruptionWatch::Entry(const std::string& signalName)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return "Run interrupted by " + signalName + " at \"" + m_lastStatus + "\". " + DeviceLeftWith(m_phase);
}
