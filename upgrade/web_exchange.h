// The exchange with the device's web pages: two logins, the status page and
// the switch into firmware download mode.
#pragma once

#include <string>

#include "upgrade/wizard_page.h"

// Returns true when the device is in download mode; otherwise the run has
// shown why it ends.
bool RunWebExchange(WizardPage& page, const std::string& address, const std::string& password);
