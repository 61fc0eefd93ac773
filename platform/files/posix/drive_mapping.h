// SPDX-License-Identifier: MIT
// Where drive C: and the user's own directories lie on Linux. Drive C: is a
// per-user directory (NDXU_DRIVE_C, else $XDG_DATA_HOME/ndxu-upgrade/drive_c,
// else ~/.local/share/ndxu-upgrade/drive_c, the home directory being $HOME,
// else the user's entry in the password database); it is never a shared
// directory, so without a known home it is not mapped at all.
#pragma once

#include <filesystem>
#include <optional>

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
