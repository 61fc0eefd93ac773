// SPDX-License-Identifier: MIT
#include "upgrade/device_lock.h"

#include <chrono>
#include <thread>

#include "log/run_log.h"
#include "platform/base/application.h"
#include "upgrade/utc_time.h"

namespace {

constexpr std::size_t kHolderLimit = 200;
// A holder writes its name right after it takes the lock; a run that finds
// the lock taken waits this long for the name before it speaks of the
// holder without it.
constexpr int kHolderReads = 20;
constexpr auto kHolderReadPause = std::chrono::milliseconds(50);

// "process 1234 (ndxu-upgrade) since 2026-12-09 12:00:00 UTC".
std::string HolderText()
{
    return "process " + std::to_string(CurrentProcessId()) + " (" + AfxGetAppName() + ") since " +
           UtcText(std::chrono::system_clock::now());
}

// The first line the holder wrote; empty while it has written none.
std::string HolderOf(const FileLock& lock)
{
    for (int read = 0;; ++read) {
        const std::string text = lock.Text(kHolderLimit);
        const std::string line = text.substr(0, text.find('\n'));
        if (!line.empty() || read + 1 == kHolderReads) return line;
        std::this_thread::sleep_for(kHolderReadPause);
    }
}

void ShowDeviceBusy(WizardPage& page, const std::string& address, const std::string& holder)
{
    const std::string text = "The LAN Modem at " + address + " is in the hands of another run" +
                             (holder.empty() ? std::string() : ": " + holder) + ".";
    page.SetEnd(RunEnd::DeviceBusy);
    page.LogAndShow(text);
    page.ShowFailure(text, MessageIcon::Exclamation);
    page.ShowCancelAsDefault();
}

// Without the history there is no lock, and no backup to keep there: a run
// that requires one stops before the device is touched; any other goes on
// unlocked.
bool HistoryUnusable(WizardPage& page, const std::string& directory, const std::string& why)
{
    if (!page.Options().requireBackup) {
        WriteLogLine("Device Not Locked: " + why);
        return true;
    }
    const std::string text = "Profile History Not Usable: " + directory;
    page.LogAndShow(text);
    page.GiveReason("no backup, no flash: " + why);
    page.ShowFailure(text, MessageIcon::Exclamation);
    page.ShowCancelAsDefault();
    return false;
}

}  // namespace

bool DeviceLock::Take(WizardPage& page, const std::string& address)
{
    m_history = OpenDeviceHistory(RunDeviceIdentity(address), address);
    if (!m_history.movedFrom.empty())
        WriteLogLine("Device History Moved from " + m_history.movedFrom + " to " + m_history.directory);
    if (!m_history.problem.empty()) return HistoryUnusable(page, m_history.directory, m_history.problem);

    const std::string path = m_history.directory + "\\" + kDeviceLockFile;
    auto lock = std::make_unique<FileLock>(path);
    if (lock->Busy()) {
        ShowDeviceBusy(page, address, HolderOf(*lock));
        return false;
    }
    if (!lock->Held()) return HistoryUnusable(page, m_history.directory, lock->Problem());
    if (const std::string problem = lock->Write(HolderText() + "\n"); !problem.empty())
        WriteLogLine("Device Lock Holder Not Written: " + problem);
    m_lock = std::move(lock);
    return true;
}
