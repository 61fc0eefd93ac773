// Paths of the program's form ("C:\varn\ndxu511\readme.txt") on the host's
// file system. Drive C: is a per-user directory (NDXU_DRIVE_C, else
// $XDG_DATA_HOME/ndxu-upgrade/drive_c, else ~/.local/share/ndxu-upgrade/drive_c);
// drive Z: is the host's root; a backslash or a slash separates names; a path
// rooted without a drive lies on the drive of the current directory, which is
// always Z:.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The host directory behind drive C:, made when it does not exist yet (the
// drive is always there for the program).
std::filesystem::path DriveCRoot();

// The host path of a program path; a relative path stays relative to the
// current directory. None for a drive or form that is not mapped (UNC paths,
// drives other than C: and Z:).
std::optional<std::filesystem::path> HostPathOf(const std::string& programPath);

// The program's form of an absolute host path: "Z:" followed by the path with
// backslashes ("/tmp" -> "Z:\tmp", "/" -> "Z:\").
std::string ProgramPathOf(const std::filesystem::path& hostPath);
