// The package check that comes before the device is touched: a run started
// from a directory without the package must not leave the modem waiting in
// download mode.
#pragma once

#include "upgrade/wizard_page.h"

// Checks the image the run would upload (the staging directory's alternate
// prod.bin when present, else the package's fw512000.bin): a regular,
// readable, non-empty file; and the staging directory, when it exists: the
// user's own. Returns true when the package can be used; otherwise the run
// has shown "Cannot find <image>" and logged the reason.
bool CheckPackage(WizardPage& page);
