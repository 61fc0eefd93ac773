// SPDX-License-Identifier: MIT
// Where the wizard reads its package from. The upgrade run reads the package
// (fw512000.bin, ndxuback.txt) from the current directory, so the wizard
// enters the package directory before its window appears.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// Asks the user for a directory, with a caption and a directory to start
// in; nullopt when the user cancels.
using DirectoryChooser =
    std::function<std::optional<std::filesystem::path>(const std::string& caption, const std::filesystem::path& start)>;

// The directory the wizard entered, or why it ends instead.
struct PackageChoice {
    std::optional<std::filesystem::path> directory;
    std::string error;
};

// Whether `directory` holds the package's firmware image, fw512000.bin.
bool HoldsPackage(const std::filesystem::path& directory);

// Finds the package directory and makes it the current directory: the one
// named on the command line (`argument`) when there is one; else the current
// directory when it holds the package; else the one the user picks with
// `choose`, which starts in the current directory. The
// result carries an error instead when the user cancels the choice or the
// directory cannot be entered.
PackageChoice EnterPackageDirectory(const std::optional<std::string>& argument,
                                    const DirectoryChooser& choose);
