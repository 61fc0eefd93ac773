// SPDX-License-Identifier: MIT
#include "cli/fleet/device_phase.h"

namespace {

std::optional<std::string> Text(const nlohmann::ordered_json& event, const char* name)
{
    const auto it = event.find(name);
    if (it == event.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

}  // namespace

void FollowPhase(DevicePhase& phase, const nlohmann::ordered_json& event)
{
    phase.name = Text(event, "phase").value_or("");
    if (std::optional<std::string> version = Text(event, "version")) phase.version = std::move(version);
    if (std::optional<std::string> backup = Text(event, "backup")) phase.backup = std::move(backup);
    phase.file = Text(event, "file");
}
