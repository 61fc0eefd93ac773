// SPDX-License-Identifier: MIT
// The system's folder chooser.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Asks the user for a directory with the system's folder chooser, titled
// `caption` and opened at `start`; nullopt when the user cancels.
std::optional<std::filesystem::path> ChooseFolder(const std::string& caption, const std::filesystem::path& start);
