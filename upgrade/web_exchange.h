// SPDX-License-Identifier: MIT
// The exchange with the device's web pages: two logins, the status page and
// the switch into firmware download mode.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "upgrade/wizard_page.h"

// Asked with the firmware version on the status page whether the run goes
// on into download mode; when not, it has shown why it ends.
using DownloadModeGate = std::function<bool(const std::string& version)>;

// Returns true when the device is in download mode; otherwise the run has
// shown why it ends.
bool RunWebExchange(WizardPage& page, const std::string& address, const std::string& password,
                    const DownloadModeGate& mayEnterDownloadMode);

// The device check: the two logins and the status page only. Returns the
// firmware version on the status page ("unknown" when none can be read), or
// none when the device is not a 5.x device or the check failed; the run has
// then shown why. CheckPhases::Enter: the run enters the version-check phase
// once logged in; a confirmation checks within its own phase.
enum class CheckPhases { Enter, WithinCurrent };
std::optional<std::string> CheckDevice(WizardPage& page, const std::string& address, const std::string& password,
                                       CheckPhases phases);
