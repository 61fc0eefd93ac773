// SPDX-License-Identifier: MIT
// One run per device: a run holds an exclusive lock on its device, a lock
// file in the device's history directory, from before its first request to
// its end, whichever front-end and whichever user of drive C: starts it. The
// lock file names its holder: its process, its program and since when.
#pragma once

#include <memory>
#include <string>

#include "platform/files/file_lock.h"
#include "upgrade/profile_history.h"
#include "upgrade/wizard_page.h"

inline constexpr char kDeviceLockFile[] = "run.lock";

class DeviceLock {
public:
    // Opens the device's history and takes the device's lock. False when the
    // run must stop, its failure shown: another run holds the device (the
    // run's end is DeviceBusy then), or the run requires a backup and the
    // history cannot be used (the end stays the caller's). A history that
    // cannot be used otherwise leaves the device unlocked, as the log says.
    bool Take(WizardPage& page, const std::string& address);

    // The device's history, as the lock found it.
    const DeviceHistory& History() const { return m_history; }

private:
    DeviceHistory m_history;
    std::unique_ptr<FileLock> m_lock;
};
