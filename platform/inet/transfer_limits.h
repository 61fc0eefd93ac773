// SPDX-License-Identifier: MIT
// The time limits of one request or transfer, and which of them ended it.
#pragma once

#include <chrono>

struct TransferLimits {
    std::chrono::milliseconds idle;   // the longest stretch without activity
    std::chrono::milliseconds whole;  // the longest the whole transfer may take
};

enum class ExceededLimit { None, Idle, Whole };
