// SPDX-License-Identifier: MIT
// The FTP phases of the run: connection, transfer screen, staging, profile
// backup, firmware and alternate uploads, and the completion screen.
#pragma once

#include <string>

#include "upgrade/profile_history.h"
#include "upgrade/wizard_page.h"

// Returns true when the completion screen is shown. The device's profile is
// kept in `history`. Throws CInternetException when the FTP connection
// cannot be opened, after logging "FTP connection failed: " and the device's
// reason.
bool RunFirmwareTransfer(WizardPage& page, const std::string& address, const DeviceHistory& history);

// The restore of a kept profile in download mode: the FTP connection, the
// backup of the profile the device holds (into its history, as on every
// run), and `profile` uploaded as prof.bin; nothing else is uploaded. True
// when the upload went through and the Exit button is shown.
bool RunProfileRestore(WizardPage& page, const std::string& address, const DeviceHistory& history,
                       const std::string& profile);
