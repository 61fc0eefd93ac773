// SPDX-License-Identifier: MIT
// One HTTP request to the device and its page, through a session of its own.
#pragma once

#include <memory>
#include <string>

inline constexpr std::size_t kPageBufferSize = 20000;

// How a request failed: the text shown to the user, and the Internet
// layer's code (ERROR_INTERNET_CANNOT_CONNECT, ERROR_INTERNET_TIMEOUT, ...).
struct FetchFailure {
    std::string shown;
    unsigned long code = 0;
};

// Sends one request (POST when `post` is nonzero, else GET) with the header
// block and the body as they stand, logs the request and the page (as device
// text, see device_text.h), and returns the page as it came: at most 19999 bytes, zero-terminated, in a buffer of
// kPageBufferSize bytes. Null when the request could not be sent; the
// failure has then been shown to the user, as `*failure` tells.
std::unique_ptr<char[]> FetchPage(int post, std::string server, std::string headers, std::string body,
                                  std::string object, FetchFailure* failure = nullptr);
