// SPDX-License-Identifier: MIT
// One HTTP request to the device and its page, through a session of its own.
#pragma once

#include <functional>
#include <memory>
#include <string>

inline constexpr std::size_t kPageBufferSize = 20000;

// How a request failed: the text shown to the user, the Internet layer's
// code (ERROR_INTERNET_CANNOT_CONNECT, ERROR_INTERNET_TIMEOUT, ...), and what
// failed where ("127.0.0.1 port 80: Connection refused"; empty when the layer
// cannot tell).
struct FetchFailure {
    std::string shown;
    unsigned long code = 0;
    std::string detail;
};

// Learns a request's failure before its message box is shown.
using FetchFailureListener = std::function<void(const FetchFailure&)>;

// Sends one request (POST when `post` is nonzero, else GET) with the header
// block and the body as they stand, logs the request and the page (as device
// text, see device_text.h), and returns the page as it came: at most 19999 bytes, zero-terminated, in a buffer of
// kPageBufferSize bytes. Null when the request could not be sent; the
// failure has then been told to `beforeBox` and shown to the user.
std::unique_ptr<char[]> FetchPage(int post, std::string server, std::string headers, std::string body,
                                  std::string object, const FetchFailureListener& beforeBox = {});
