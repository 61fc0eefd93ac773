// SPDX-License-Identifier: MIT
// Files that vouch for what the program flashes (the trusted keys): used
// only when nobody but the user or an administrator could have written them.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

struct TrustedFileText {
    std::string text;
    std::string problem;  // empty when the file was read
};

// Reads the file at `hostPath` whole, without following a link. Refused,
// with the reason naming the file: a symbolic link, not a regular file, owned
// by neither the user nor an administrator (root; on Windows also the
// system), writable by others than its owner, more than `limit` bytes, or
// unreadable.
TrustedFileText ReadTrustedFile(const std::filesystem::path& hostPath, std::size_t limit);

// Why the directory at `hostPath` cannot hold trusted files, by the same
// rules; none when it may, or when it does not exist.
std::optional<std::string> TrustedDirectoryProblem(const std::filesystem::path& hostPath);
