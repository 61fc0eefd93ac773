// SPDX-License-Identifier: MIT
// The device's firmware version weighed against the package's: a device
// that already runs it is left alone and a newer one is not downgraded,
// unless the front-end asks otherwise (RunOptions).
#pragma once

#include <string>

#include "upgrade/wizard_page.h"

// Whether the run may go on to flash a device that runs `found`; the run
// has shown why not, and set its end.
bool VersionAllowsFlash(WizardPage& page, const std::string& found, const std::string& package);

// For a check: shows what an upgrade would do to a device that runs `found`,
// and reports whether it would flash it. Nothing when the package's version
// is not known.
void SayWhatAnUpgradeWouldDo(WizardPage& page, const std::string& found, const std::string& package);
