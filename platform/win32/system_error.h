// SPDX-License-Identifier: MIT
// Failures of system calls, reported with the system's error code and text.
#pragma once

#include <string>

// Throws std::system_error for the calling thread's last error: "what: text".
[[noreturn]] void ThrowLastError(const std::string& what);
