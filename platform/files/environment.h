// The environment as the program reads it.
#pragma once

#include "platform/ui/win_types.h"

// Copies the variable's value, in the program's path form for TEMP, into
// `buffer` of `size` characters and returns its length. Returns the size
// needed, leaving the buffer as it was, when it does not fit; 0 when the
// variable is not set. TEMP is always set: the host's TEMP, else TMPDIR,
// else /tmp.
DWORD GetEnvironmentVariable(const char* name, char* buffer, DWORD size);

// The current directory in the program's path form, with the same buffer
// rules; 0 when it cannot be read.
DWORD GetCurrentDirectory(DWORD size, char* buffer);
