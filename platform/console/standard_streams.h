// SPDX-License-Identifier: MIT
// What a console program makes sure of before it opens anything.
#pragma once

// Opens /dev/null on any of descriptors 0, 1 and 2 that is closed, so that no
// file the program opens later (the run log) takes its place and receives
// what is printed. False when that fails.
bool EnsureStandardDescriptors();

// A reader that goes away (`ndxu-upgrade | head -1`) must not end a run
// half-way: writes to a closed pipe then fail instead of killing the process.
void IgnoreBrokenPipes();
