// SPDX-License-Identifier: MIT
// Points in time as the JSON lines give them.
#pragma once

#include <chrono>
#include <string>

// ISO 8601 in UTC with milliseconds: "2026-12-08T15:30:00.123Z".
std::string UtcTimestamp(std::chrono::system_clock::time_point time = std::chrono::system_clock::now());
