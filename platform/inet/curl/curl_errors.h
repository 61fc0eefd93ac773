// SPDX-License-Identifier: MIT
// The platform's error code for a failed transfer, and the exception that
// reports it.
#pragma once

#include <curl/curl.h>

#include <string>

#include "platform/base/win_types.h"
#include "platform/inet/internet_exception.h"

// The code for result `code`; `osErrno` (the system error the library saw)
// tells a reset connection from one that just ended.
DWORD InternetErrorOf(CURLcode code, long osErrno);

// The code for the failed transfer on `easy`.
DWORD InternetErrorOf(CURLcode code, CURL* easy);

// For a transfer on `easy` to `host` and `port` that ended with `code`: the
// system's reason when the connection was refused or failed ("device port
// 21: Connection refused") or the device did not answer in time ("device
// port 80: Connection timed out"), "device: name not resolved" when the name
// has no address; empty for any other failure.
std::string ConnectionDetail(CURLcode code, CURL* easy, const std::string& host, int port);

// The exception for the transfer on `easy` to `host` and `port` that ended
// with `code`: its code, and its detail as ConnectionDetail says.
CInternetException InternetFailure(CURLcode code, CURL* easy, const std::string& host, int port);
