// SPDX-License-Identifier: MIT
// Text handed out in a caller's buffer, by the buffer rules of the
// environment's functions (environment.h).
#pragma once

#include <string>

#include "platform/base/win_types.h"

// Copies `value` with its terminating null into `buffer` of `size`
// characters and returns its length; when it does not fit, returns the size
// needed and leaves the buffer as it was.
DWORD CopyToBuffer(const std::string& value, char* buffer, DWORD size);
