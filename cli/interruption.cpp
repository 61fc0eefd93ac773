#include "cli/interruption.h"

#include <signal.h>

#include <cstring>

#include "platform/ui/resources.h"
#include "res/resource.h"

namespace {

volatile sig_atomic_t g_signal = 0;

void NoteSignal(int signal) { g_signal = signal; }

std::string SignalName(int signal) { return signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "a signal"; }

}  // namespace

void CatchInterruptions()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

int PendingInterruption() { return g_signal; }

void RunProgress::Note(const std::string& status)
{
    if (status == m_lastStatus) return;
    m_lastStatus = status;
    if (status == AfxLoadString(IDS_STARTING_FTP_SERVER)) m_stage = Stage::DownloadMode;
    if (status == AfxLoadString(IDS_UPGRADING_FIRMWARE_WAIT)) m_stage = Stage::Uploading;
    if (status == AfxLoadString(IDS_RESETTING)) m_stage = Stage::Uploaded;
}

std::string RunProgress::InterruptionEntry(int signal) const
{
    std::string entry = "Run interrupted by " + SignalName(signal) + " at \"" + m_lastStatus + "\"";
    switch (m_stage) {
    case Stage::Web: return entry + ". The device's firmware was not changed.";
    case Stage::DownloadMode: return entry + ". The device may be waiting in firmware download mode.";
    case Stage::Uploading: return entry + ". The device may hold a partial firmware image.";
    case Stage::Uploaded: return entry + ". The firmware upload had completed.";
    }
    return entry;
}
