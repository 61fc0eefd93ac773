// SPDX-License-Identifier: MIT
// The SHA-256 digest of a local file, read in pieces.
#pragma once

#include <optional>
#include <string>

// The digest of the file at `path` (a path of the program's form) as 64
// lower-case hex digits; none when the file cannot be read.
std::optional<std::string> Sha256OfFile(const std::string& path);
