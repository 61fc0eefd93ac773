// SPDX-License-Identifier: MIT
// A file that its readers must find whole, old or new, at any moment (the
// metrics file a collector reads while the program runs): it is written
// under a temporary name beside it, then renamed over it.
#pragma once

#include <string>

// Writes `text` to the file at `path` (a path of this system): to a new file
// in the same directory, named after `path` with ".tmp-" and a unique tail
// (so that no collector of "*.prom" files takes it), flushed to the disk,
// then renamed over `path`. On Linux the file is readable by every user
// (what reads it may run as another) and writable by its owner; on Windows
// it has the permissions its directory gives. The system's reason when
// it cannot be written, the temporary file removed; empty when it was.
std::string ReplaceFileText(const std::string& path, const std::string& text);
