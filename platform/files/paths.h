// SPDX-License-Identifier: MIT
// Paths of the program's form ("C:\varn\ndxu511\readme.txt") and the system's
// own. On Windows they are the same: a program path names a real drive. On
// Linux drive C: is a per-user directory and drive Z: the root of the file
// system (platform/files/posix/drive_mapping.h); a backslash or a slash
// separates names; a path rooted without a drive lies on the drive of the
// current directory, which is always Z:.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The system's path of a program path; a relative path stays relative to the
// current directory. On Linux none for a drive or form that is not mapped
// (UNC paths, drives other than C: and Z:, drive C: without a home directory).
std::optional<std::filesystem::path> HostPathOf(const std::string& programPath);

// Why HostPathOf gives no system path for `programPath`, in words for a log.
std::string UnmappedPathText(const std::string& programPath);

// The program's form of an absolute system path: on Linux "Z:" followed by
// the path with backslashes ("/tmp" -> "Z:\tmp", "/" -> "Z:\"); on Windows
// the path itself, with backslashes.
std::string ProgramPathOf(const std::filesystem::path& hostPath);
