// SPDX-License-Identifier: MIT
// The package's checksum manifest, SHA256SUMS in the package directory, in
// the format of sha256sum: "<64 hex digits> <blank or *><file name>" a line.
// When it is there, the image to be flashed must match its line before the
// device is touched.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

inline constexpr char kManifestName[] = "SHA256SUMS";

enum class ManifestVerdict {
    NoManifest,  // the package has no SHA256SUMS
    Matches,     // the image's digest is the one its line gives
    Mismatch,    // the image's digest differs from its line
    NoLine,      // the manifest has no line for the image
    Unreadable,  // the manifest or the image could not be read, or a line is malformed
};

// What the manifest says of the image: its digest (with Matches, to be
// compared), else why there is none.
struct ManifestLine {
    ManifestVerdict verdict;
    std::string digest;  // lower-case hex
    std::string reason;
};

// Looks the image up under `imageName` in the manifest's text (none: the
// package has no manifest); `manifestPath` names it in reasons.
ManifestLine FindManifestLine(const std::optional<std::string>& manifest, const std::string& manifestPath,
                              const std::string& imageName);

struct ImageVerification {
    ManifestVerdict verdict;
    std::string digest;  // the image's SHA-256, when it could be read (with or without a manifest)
    std::string reason;  // what went wrong, for the log
};

// Judges the image's digest (none: it could not be read) against its line.
ImageVerification JudgeImage(const ManifestLine& line, const std::optional<std::string>& digest,
                             const std::string& imagePath, const std::string& imageName);

// A manifest names a handful of files; one of a megabyte is no manifest.
inline constexpr std::size_t kManifestLimit = 1 << 20;

// The whole text of a small file of the package at `path` (a path of the
// program's form): none when there is no such file; throws
// std::runtime_error when it cannot be read or holds more than `limit` bytes.
std::optional<std::string> ReadPackageFile(const std::string& path, std::size_t limit);
