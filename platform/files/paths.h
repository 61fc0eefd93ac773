// SPDX-License-Identifier: MIT
// Paths of the program's form ("C:\varn\ndxu511\readme.txt") on the host's
// file system. Drive C: is a per-user directory (NDXU_DRIVE_C, else
// $XDG_DATA_HOME/ndxu-upgrade/drive_c, else ~/.local/share/ndxu-upgrade/drive_c,
// the home directory being $HOME, else the user's entry in the password
// database); it is never a shared directory, so without a known home it is not
// mapped at all. Drive Z: is the host's root; a backslash or a slash separates
// names; a path rooted without a drive lies on the drive of the current
// directory, which is always Z:.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Why drive C: is not mapped when no home directory is known.
inline constexpr char kNoDriveCText[] =
    "no home directory is known for this user (NDXU_DRIVE_C can name drive C:)";

// The user's home directory: $HOME when it is an absolute path, else the home
// directory of the effective user in the password database; none when
// neither is known.
std::optional<std::filesystem::path> UserHomeDirectory();

// An XDG base directory: the variable's value when it is an absolute path
// (a relative one is ignored, as the XDG rules ask), else `fallback` below
// the home directory; none without either.
std::optional<std::filesystem::path> XdgDirectory(const char* variable, const std::filesystem::path& fallback);

// The host directory behind drive C:, made when it does not exist yet; none
// when NDXU_DRIVE_C is not set and no home directory is known.
std::optional<std::filesystem::path> DriveCRoot();

// The host path of a program path; a relative path stays relative to the
// current directory. None for a drive or form that is not mapped (UNC paths,
// drives other than C: and Z:, drive C: without a home directory).
std::optional<std::filesystem::path> HostPathOf(const std::string& programPath);

// Why HostPathOf gives no host path for `programPath`, in words for a log.
std::string UnmappedPathText(const std::string& programPath);

// The program's form of an absolute host path: "Z:" followed by the path with
// backslashes ("/tmp" -> "Z:\tmp", "/" -> "Z:\").
std::string ProgramPathOf(const std::filesystem::path& hostPath);
