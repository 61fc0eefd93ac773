// SPDX-License-Identifier: MIT
// A device address as a file name: the per-device run logs and profile
// histories are named after the device they belong to.
#pragma once

#include <string>

// `address` with letters, digits, '.', '-' and '_' kept and every other byte
// written as "%XX" (upper-case hex), so that two addresses never share a
// name. Never empty, "." or "..": those come out as "%", "%2E" and "%2E%2E",
// which no other address gives.
std::string DeviceFileName(const std::string& address);
