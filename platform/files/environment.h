// SPDX-License-Identifier: MIT
// The environment and the current directory as the program reads and sets
// them.
#pragma once

#include "platform/base/win_types.h"

// Copies the variable's value, in the program's path form for TEMP, into
// `buffer` of `size` characters and returns its length. Returns the size
// needed, leaving the buffer as it was, when it does not fit; 0 when the
// variable is not set. TEMP is always provided where the system knows a
// temporary directory of the user's own. On Windows: TEMP, else the system's
// temporary directory (GetTempPath). On Linux: TEMP, else TMPDIR, else the
// user's own $XDG_STATE_HOME/ndxu-upgrade (~/.local/state/ndxu-upgrade), made
// with mode 0700 when missing; never a shared directory, so TEMP is not set
// when no home directory is known.
DWORD GetEnvironmentVariable(const char* name, char* buffer, DWORD size);

// Sets the variable for this process and the programs it starts; a null
// `value` removes it. Nonzero on success.
BOOL SetEnvironmentVariable(const char* name, const char* value);

// The current directory in the program's path form, with the same buffer
// rules; 0 when it cannot be read.
DWORD GetCurrentDirectory(DWORD size, char* buffer);

// Makes `path` (a path of the system's own form) the current directory.
// Nonzero on success.
BOOL SetCurrentDirectory(const char* path);
