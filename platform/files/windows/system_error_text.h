// SPDX-License-Identifier: MIT
// Reasons in words for a Windows error code.
#pragma once

#include <string>

// The text of Windows error `code` as the program's reasons give it: the
// standard library's text for the matching portable error where there is one
// ("No such file or directory", "Permission denied"), so that a reason reads
// the same on every system, else the system's own message.
std::string SystemErrorText(unsigned long code);
