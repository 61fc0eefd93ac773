// SPDX-License-Identifier: MIT
// Where a device's run is, as its process's "phase" lines say: the phase's
// name ("input_check", "package_check", "web_login", "version_check",
// "download_mode", "ftp_session", "backup", "upload", "completed",
// "confirmation") and the facts the lines gave, each optional.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

struct DevicePhase {
    std::string name;                    // none yet: empty
    std::optional<std::string> version;  // the firmware version, once a phase gave it
    std::optional<std::string> backup;   // the profile kept, once the backup phase gave it
    std::optional<std::string> file;     // the file being uploaded, in the upload phase

    bool operator==(const DevicePhase&) const = default;
};

// Follows the phase line `event` (an object with "event": "phase"): its phase
// becomes the device's; a version or backup it gives replaces the one known,
// and the file is the one it gives, if any.
void FollowPhase(DevicePhase& phase, const nlohmann::ordered_json& event);
