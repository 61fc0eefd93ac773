// SPDX-License-Identifier: MIT
// Where the program's settings live: a directory of the system's, which only
// an administrator can write, and one of the user's own. Each is named
// ndxu-upgrade.
#pragma once

#include <filesystem>
#include <optional>

// NDXU_SYSTEM_CONFIG_DIR when set (relocated installs, and tests, which must
// not see the machine's own settings); else on Linux /etc/ndxu-upgrade, on
// Windows %ProgramData%\ndxu-upgrade. None on Windows without ProgramData.
std::optional<std::filesystem::path> SystemConfigDirectory();

// On Linux $XDG_CONFIG_HOME/ndxu-upgrade (~/.config/ndxu-upgrade), on
// Windows %APPDATA%\ndxu-upgrade; none when no such place is known.
std::optional<std::filesystem::path> UserConfigDirectory();
