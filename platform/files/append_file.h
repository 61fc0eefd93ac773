// SPDX-License-Identifier: MIT
// A text file the program appends to and that only its user may read: the
// run log, which holds device pages.
#pragma once

#include <cstdio>
#include <string>

struct AppendFile {
    std::FILE* stream = nullptr;  // null when the file could not be opened
    std::string problem;          // why not, in words for the log's reason
};

// Opens the file at `path` (a path of the program's form) for appending in
// text mode (a line feed reaches the disk as the system ends a line: CR LF on
// Windows), creating it readable and writable by its owner only. The file
// may lie in a directory other users can write to: a link planted under its
// name is not followed, and only a regular file of this user with a single
// name is opened, so that nobody else can redirect, share or pre-create it.
// An existing file that others may read is made private to its owner.
AppendFile OpenPrivateAppendFile(const std::string& path);

// Writes what `stream` holds through to the disk (fflush, then fsync, or
// FlushFileBuffers on Windows), so that a line written before the program
// or the system stops is there afterwards. The system's reason when it
// cannot; empty when it could.
std::string SyncToDisk(std::FILE* stream);
