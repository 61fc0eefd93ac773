// SPDX-License-Identifier: MIT
// Points in time in UTC, as the program writes them.
#pragma once

#include <chrono>
#include <optional>
#include <string>

// ISO 8601 with milliseconds, as the JSON lines give it: "2026-12-08T15:30:00.123Z".
std::string UtcTimestamp(std::chrono::system_clock::time_point time = std::chrono::system_clock::now());
// The point in time a UtcTimestamp text gives; none for any other text.
std::optional<std::chrono::system_clock::time_point> ParseUtcTimestamp(const std::string& text);

// For a file name, to the second: "20261208T153000Z".
std::string UtcStamp(std::chrono::system_clock::time_point time);

// For a reader, to the second: "2026-12-08 15:30:00 UTC".
std::string UtcText(std::chrono::system_clock::time_point time);
