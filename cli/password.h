// SPDX-License-Identifier: MIT
// The device password on the console. It never comes from the command line,
// where the process list would show it.
#pragma once

#include <optional>
#include <string>

// With `fromStdin`, one line of standard input. Otherwise NDXU_PASSWORD,
// which is removed from the environment once read, so that no child process
// inherits it. Where the password is to be typed on a terminal (standard
// input is one, and neither source above gave it), it is asked for on
// standard error with echo off; an empty answer is an empty password. Empty
// when there is no source at all.
//
// A password holding a line break (CR or LF, as NDXU_PASSWORD or a line's
// inner CR may) is refused: a fleet passes the password to each device's
// process as one line, where it would be cut, so it is refused for one device
// as for several. Then none, once the refusal is on standard error (without
// the password).
std::optional<std::string> ReadPassword(bool fromStdin);
