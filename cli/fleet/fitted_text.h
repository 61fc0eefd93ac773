// SPDX-License-Identifier: MIT
// Text fitted to a number of terminal columns, each UTF-8 sequence taken as
// one column and never cut through. A cut is marked with "...": the fleet's
// displays print nothing but ASCII of their own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The columns `text` takes on a terminal line.
std::size_t ColumnsOf(std::string_view text);

// `text` whole when it fits in `width` columns, else its start ending in
// "..." within them.
std::string CutToWidth(std::string_view text, std::size_t width);

// `path` whole when it fits in `width` columns, else shortened in the middle
// so that its file name stays: "/home/u/.../profback-x.bin"; when the file
// name alone leaves no room, the path's end after "...".
std::string ShortenPath(std::string_view path, std::size_t width);
