// SPDX-License-Identifier: MIT
#include "cli/interruption.h"

#include <iostream>
#include <utility>

#include "log/run_log.h"
#include "platform/console/interruptions.h"
#include "platform/ui/resources.h"
#include "res/resource.h"

void InterruptionWatch::Start(LastWords lastWords)
{
    HandleInterruptions([this, lastWords = std::move(lastWords)](const Interruption& interruption) {
        const std::string entry = Entry(interruption.name);
        WriteLastLogLine(entry);
        if (lastWords) lastWords(interruption.exitStatus, entry);
        std::cerr << "ndxu-upgrade: interrupted; the run log says where" << std::endl;
    });
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

std::string InterruptionWatch::Entry(const std::string& signalName)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    const std::string entry = "Run interrupted by " + signalName + " at \"" + m_lastStatus + "\"";
    switch (m_stage) {
    case Stage::Web: return entry + ". The device's firmware was not changed.";
    case Stage::DownloadMode: return entry + ". The device may be waiting in firmware download mode.";
    case Stage::Uploading: return entry + ". The device may hold a partial firmware image.";
    case Stage::Uploaded: return entry + ". The firmware upload had completed.";
    }
    return entry;
}
