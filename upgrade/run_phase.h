// SPDX-License-Identifier: MIT
// The phases an upgrade run passes, in order. A front-end learns where a run
// is from its phase, never from the status text it shows.
#pragma once

enum class RunPhase {
    None,          // not started
    InputCheck,    // the address and the password are checked
    PackageCheck,  // the package is checked; nothing has been sent yet
    WebLogin,      // the login form is posted
    VersionCheck,  // the status page is read for the firmware version
    DownloadMode,  // the download-mode form is posted: from here on the device is changed
    FtpSession,    // the FTP connection to the device's download mode is opened
    Backup,        // the device's profile is downloaded and kept
    Upload,        // a file is uploaded (RunReport::uploading names it)
    Completed,     // every upload went through; the device restarts
    Confirmation,  // the run waits for the device to come back and reads its version
};

// "input_check", "web_login", ...: the phase's name in the console's JSON lines.
const char* PhaseName(RunPhase phase);
