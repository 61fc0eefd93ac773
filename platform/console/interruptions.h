// SPDX-License-Identifier: MIT
// The user interrupting the program (Ctrl-C), or the system telling it to
// end: on Linux SIGINT and SIGTERM, on Windows Ctrl-C, and Ctrl-Break or the
// console's closing.
#pragma once

#include <functional>
#include <string>

struct Interruption {
    std::string name;  // "SIGINT" (Ctrl-C) or "SIGTERM" (told to end)
    int exitStatus;    // 128 + the signal's number: 130 or 143
};

// From now on the first interruption calls `handler` on a thread of its own,
// while the program's other threads go on, and then ends the program at once
// with the interruption's exit status, even while a transfer blocks. Threads
// started afterwards take no interruption themselves.
void HandleInterruptions(std::function<void(const Interruption&)> handler);
