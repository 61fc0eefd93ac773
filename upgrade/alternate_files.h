// SPDX-License-Identifier: MIT
// Alternate files an earlier package may have left in the staging directory:
// each takes the place of the package's image or follows it to the device.
// The run uploads them; a front-end may ask before it lets the run begin.
#pragma once

#include <string>

#include "upgrade/package_staging.h"

struct AlternateFile {
    const char* name;  // in the staging directory
    const char* role;  // what the run does with it
};

inline constexpr AlternateFile kAlternateImage{"prod.bin", "uploaded as fw512000.bin in place of the package's image"};
inline constexpr AlternateFile kAlternateProfile{"prof.bin", "uploaded as the device's profile prof.bin"};
inline constexpr AlternateFile kAlternateBootImage{"boot.bin", "uploaded as the device's boot image boot.bin"};

inline constexpr AlternateFile kAlternateFiles[] = {kAlternateImage, kAlternateProfile, kAlternateBootImage};

// The file's path in the staging directory.
inline std::string StagingPathOf(const AlternateFile& file) { return std::string(kStagingDirectory) + "\\" + file.name; }
