// SPDX-License-Identifier: MIT
#include "tests/support/drive_c.h"

std::filesystem::path TestDriveC(const std::filesystem::path& testDirectory) { return testDirectory / "drive_c"; }
