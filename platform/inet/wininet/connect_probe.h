// SPDX-License-Identifier: MIT
// Why a connection could not be made, asked of the system itself.
#pragma once

#include <string>

#include "platform/inet/inet_types.h"

// The socket's error code for a connection to `host` and `port`, which
// WinInet has just failed to make: WinInet reports a refused, unreachable or
// reset connect alike as 12029 and keeps the socket's code to itself, so one
// more connect by Winsock asks the system, the window painted meanwhile. 0
// when that connect succeeds, the name has no address, or no answer comes
// within three seconds.
DWORD ConnectFailureCode(const std::string& host, int port);
