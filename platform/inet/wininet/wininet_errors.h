// SPDX-License-Identifier: MIT
// The platform's error code for a failed WinInet call, and the exception
// that reports it.
#pragma once

#include <string>

#include "platform/inet/internet_exception.h"

// The code for `error`, the thread's last error after a failed WinInet
// call: WinInet's own codes as they are; a system socket code, which
// WinInet passes on for some failures (10054, 10060, ...), as the WinInet
// code it stands for; anything else as ERROR_INTERNET_INTERNAL_ERROR.
DWORD InternetErrorOf(DWORD error);

// For a failure with `error` of a connection to `host` and `port`: "<host>
// port <port>: <the system's reason>" when the connection could not be
// made or the server did not answer in time, "<host>: name not resolved"
// when the name has no address; empty for any other failure.
std::string ConnectionDetail(DWORD error, const std::string& host, int port);

// The exception for a failure with `error` of a connection to `host` and
// `port`: its code, and its detail as ConnectionDetail says.
CInternetException InternetFailure(DWORD error, const std::string& host, int port);
