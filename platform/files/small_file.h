// SPDX-License-Identifier: MIT
// A file the user names on the command line, read whole when it is small: an
// inventory of devices. Only what can be read without surprises is: a
// regular file, a pipe or FIFO that a program writes to, at most `limit`
// bytes.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

struct SmallFile {
    std::optional<std::string> text;  // the file's bytes, when it was read
    std::string problem;              // why not: "it is a directory", "it is a device, not a file",
                                      // "it is a FIFO that no program wrote to within 5 seconds",
                                      // "it is larger than 16777216 bytes", or the system's reason
};

// Reads the file at `path` (a path of this system). A FIFO is read once a
// program writes to it, waiting at most `writerWait` for its first bytes.
SmallFile ReadSmallFile(const std::string& path, std::size_t limit, std::chrono::seconds writerWait);
