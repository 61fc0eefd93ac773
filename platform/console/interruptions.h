// SPDX-License-Identifier: MIT
// The user interrupting the program (Ctrl-C), the system telling it to end,
// or its terminal going away: on Linux SIGINT, SIGTERM and SIGHUP, on
// Windows Ctrl-C, and Ctrl-Break or the console's closing (both taken as
// SIGTERM; Windows has no hang-up that lets a program go on).
#pragma once

#include <functional>
#include <string>

struct Interruption {
    std::string name;      // "SIGINT" (Ctrl-C), "SIGTERM" (told to end) or "SIGHUP" (the terminal is gone)
    int exitStatus;        // 128 + the signal's number: 130, 143 or 129
    bool hangUp = false;   // SIGHUP: nothing asks the program to end, only its terminal is gone
    bool mayWait = true;   // false: the system ends the program within seconds whatever it does
                           // (a Windows console being closed, the user logging off)
};

// From now on every interruption calls `handler` on a thread of its own, one
// after the other, while the program's other threads go on. When `handler`
// returns true, the program ends at once with the interruption's exit
// status, even while a transfer blocks; otherwise it goes on. Threads
// started afterwards take no interruption themselves.
void HandleInterruptions(std::function<bool(const Interruption&)> handler);

// Ends the program at once with `exitStatus`, from any thread, as an
// interruption does: no destructor runs, no transfer is waited for.
[[noreturn]] void EndInterrupted(int exitStatus);
