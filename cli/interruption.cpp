// SPDX-License-Identifier: MIT
#include "cli/interruption.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <iostream>
#include <thread>
#include <utility>

#include "log/run_log.h"
#include "platform/ui/resources.h"
#include "res/resource.h"

namespace {

constexpr int kExitInterruptedBase = 128;

std::string SignalName(int signal) { return signal == SIGINT ? "SIGINT" : "SIGTERM"; }

sigset_t InterruptionSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

}  // namespace

void InterruptionWatch::Start(LastWords lastWords)
{
    const sigset_t signals = InterruptionSignals();
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([this, signals, lastWords = std::move(lastWords)] {
        int signal = 0;
        if (::sigwait(&signals, &signal) != 0) return;
        const std::string entry = Entry(signal);
        const int exitStatus = kExitInterruptedBase + signal;
        WriteLastLogLine(entry);
        if (lastWords) lastWords(exitStatus, entry);
        std::cerr << "ndxu-upgrade: interrupted; the run log says where" << std::endl;
        // The main thread may be blocked inside a transfer: end here.
        ::_exit(exitStatus);
    }).detach();
}

void InterruptionWatch::OnStatus(const std::string& status)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (status == m_lastStatus) return;
    m_lastStatus = status;
    if (status == AfxLoadString(IDS_STARTING_FTP_SERVER)) m_stage = Stage::DownloadMode;
    if (status == AfxLoadString(IDS_UPGRADING_FIRMWARE_WAIT)) m_stage = Stage::Uploading;
    if (status == AfxLoadString(IDS_RESETTING)) m_stage = Stage::Uploaded;
}

std::string InterruptionWatch::Entry(int signal)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    const std::string entry = "Run interrupted by " + SignalName(signal) + " at \"" + m_lastStatus + "\"";
    switch (m_stage) {
    case Stage::Web: return entry + ". The device's firmware was not changed.";
    case Stage::DownloadMode: return entry + ". The device may be waiting in firmware download mode.";
    case Stage::Uploading: return entry + ". The device may hold a partial firmware image.";
    case Stage::Uploaded: return entry + ". The firmware upload had completed.";
    }
    return entry;
}
