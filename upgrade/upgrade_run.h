// SPDX-License-Identifier: MIT
// The upgrade run that the Continue button starts: it checks the inputs and
// the package, then logs into the device, checks its version, switches it into download mode
// and transfers the firmware, all before it returns.
#pragma once

#include "upgrade/wizard_page.h"

// Runs one upgrade on the wizard page; records how far it got as it goes, so
// that an exception leaving the run leaves the right end behind.
void RunUpgrade(WizardPage& page);
