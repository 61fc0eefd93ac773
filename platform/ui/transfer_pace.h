// SPDX-License-Identifier: MIT
// How fast a transfer goes and how long it has left, in the words the
// program's meters show: "120.3 KiB/s  0:21 left".
#pragma once

#include <chrono>
#include <string>

#include "platform/ui/progress_report.h"

// A byte count in the largest unit under 1024 of it: "512 B", "1.5 KiB".
std::string ByteCountText(double bytes);
// Whole seconds as minutes and seconds: "0:21", "12:05".
std::string MinutesText(double seconds);

// The rate of `progress` after `elapsed` of the transfer, and the time left
// when the total is known and not yet reached; empty before any byte moved.
std::string PaceText(const ProgressReport& progress, std::chrono::duration<double> elapsed);
