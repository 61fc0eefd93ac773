// SPDX-License-Identifier: MIT
// The desktop's file chooser.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// Asks the user for a file with the desktop's file chooser, titled `caption`,
// opened at the directory `start` and showing profile backups
// (profback-*.bin) first; nullopt when the user cancels.
std::optional<std::filesystem::path> ChooseProfileFile(const std::string& caption, const std::filesystem::path& start);
