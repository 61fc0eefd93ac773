// SPDX-License-Identifier: MIT
// After the upload: the device restarts on its new firmware. The
// confirmation waits for it to go away and come back, logs in again, reads
// the status page and says which version the device runs now.
#pragma once

#include <string>

#include "upgrade/wizard_page.h"

// Confirms within the page's options' bound; true when the device came back
// (and, when one is expected, with that version). Every step is a status
// text and a log entry; the run reports the version found.
bool ConfirmUpgrade(WizardPage& page, const std::string& address, const std::string& password);
