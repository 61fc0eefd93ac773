// SPDX-License-Identifier: MIT
// The header lines of an HTTP request.
#pragma once

#include <string_view>

#include "platform/inet/curl/curl_handles.h"

// The caller's header block (lines separated by LF; a CR before the LF is
// part of the line end) as one entry per non-empty line, each sent as it
// stands, followed by entries that keep the library from adding an Accept or
// Expect header and, for a POST, a Content-Type of its own: the request
// carries only the caller's headers besides Host and User-Agent.
CurlSlist RequestHeaderLines(std::string_view block, bool post);
