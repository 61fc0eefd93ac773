// SPDX-License-Identifier: MIT
// Drive C: of the program under test, where its staging directory
// C:\varn\ndxu511 lies.
#pragma once

#include <filesystem>

// Drive C: for a test whose own directory is `testDirectory`: on Linux
// `testDirectory`/drive_c, which NDXU_DRIVE_C names for the program; on
// Windows the system's drive C: itself (the tests of the Windows build run
// one at a time, and their launcher clears it before each).
std::filesystem::path TestDriveC(const std::filesystem::path& testDirectory);
