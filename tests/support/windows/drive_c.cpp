// SPDX-License-Identifier: MIT
#include "tests/support/drive_c.h"

std::filesystem::path TestDriveC(const std::filesystem::path&) { return "C:\\"; }
