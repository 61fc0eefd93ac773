// SPDX-License-Identifier: MIT
// The profile a restore puts back on the device: one kept in the device's
// history (the newest for "latest"), or, when the run allows it, any
// readable file.
#pragma once

#include <optional>
#include <string>

#include "upgrade/profile_history.h"
#include "upgrade/wizard_page.h"

inline constexpr char kLatestProfile[] = "latest";

// The program path of the profile the run's options name; none when it is
// refused, the refusal shown (no backup in the history, a file that cannot
// be read, a file from outside the device's history without leave).
std::optional<std::string> ProfileToRestore(WizardPage& page, const DeviceHistory& history);
