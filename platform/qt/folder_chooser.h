// SPDX-License-Identifier: MIT
// The desktop's folder chooser.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// Asks the user for a directory with the desktop's folder chooser, titled
// `caption` and opened at `start`; nullopt when the user cancels.
std::optional<std::filesystem::path> ChooseFolder(const std::string& caption, const std::filesystem::path& start);

// Test hook: while an answerer is set, the chooser is not shown; the
// answerer gets the caption and the starting directory and answers as the
// user would (nullopt: cancel), so that no test waits for a user.
using FolderChooserAnswerer =
    std::function<std::optional<std::filesystem::path>(const std::string& caption, const std::filesystem::path& start)>;
void SetFolderChooserAnswerer(FolderChooserAnswerer answerer);
