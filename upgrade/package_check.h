// SPDX-License-Identifier: MIT
// The package check that comes before the device is touched: a run started
// from a directory without the package must not leave the modem waiting in
// download mode.
#pragma once

#include "upgrade/wizard_page.h"

// Checks the image the run would upload (the staging directory's alternate
// prod.bin when present, else the package's fw512000.bin): a regular,
// readable, non-empty file; and the staging directory and the profile
// history in it, where they exist: the user's own; and, when the package
// holds a SHA256SUMS (or the run requires one), the image's digest on its
// line. Returns true when the package can be used; otherwise the run has
// shown "Cannot find <image>" or "Image Not Verified: <image>" and logged the
// reason. The log names the image's SHA-256.
bool CheckPackage(WizardPage& page);

// For a check of the device: names the image's SHA-256 in the log and the
// status line when there is a usable image; says nothing otherwise.
void NameImage(WizardPage& page);
