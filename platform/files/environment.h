// SPDX-License-Identifier: MIT
// The environment as the program reads it.
#pragma once

#include "platform/ui/win_types.h"

// Copies the variable's value, in the program's path form for TEMP, into
// `buffer` of `size` characters and returns its length. Returns the size
// needed, leaving the buffer as it was, when it does not fit; 0 when the
// variable is not set. TEMP is the host's TEMP, else TMPDIR, else the
// user's own $XDG_STATE_HOME/ndxu-upgrade (~/.local/state/ndxu-upgrade),
// made with mode 0700 when missing; never a shared directory, so TEMP is not
// set when no home directory is known.
DWORD GetEnvironmentVariable(const char* name, char* buffer, DWORD size);

// The current directory in the program's path form, with the same buffer
// rules; 0 when it cannot be read.
DWORD GetCurrentDirectory(DWORD size, char* buffer);
