// SPDX-License-Identifier: MIT
// How an upgrade run ended, for a front-end that reports it.
#pragma once

enum class RunEnd {
    None,                 // no run yet, or the run log could not be opened
    InputRefused,         // an input check failed
    PackageRefused,       // the package failed its check; nothing was sent
    DeviceNotReached,     // a device page did not come back
    PasswordRefused,      // the device refused the password or reported a failed operation
    WrongDevice,          // the device is not a 5.x device
    DownloadModeRefused,  // the download-mode form was not answered
    UploadNotStarted,     // the FTP phase ended before any upload: no FTP connection, or the image gone
    UploadFailed,         // an upload failed; the device may hold a partial image
    Completed,            // the completion screen is shown
    Checked,              // the device check found a 5.x device
    NotConfirmed,         // completed, but the device did not come back as expected
    UpToDate,             // the device already runs the package's version: it was not flashed again
    DowngradeRefused,     // the device runs a newer version than the package's; nothing was changed
    DeviceBusy,           // another run holds the device; nothing was sent to it
    ProfileRestored,      // a kept profile was uploaded as prof.bin
};
