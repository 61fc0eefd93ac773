// SPDX-License-Identifier: MIT
// How far a file transfer has come, as a host shows it.
#pragma once

#include <cstdint>
#include <string>

struct ProgressReport {
    std::string name;        // the file on the device
    bool upload = false;
    std::uint64_t done = 0;  // bytes moved so far
    std::uint64_t total = 0; // bytes in all; 0 when not known
};
