// SPDX-License-Identifier: MIT
#include "cli/fleet/fitted_text.h"

namespace {

constexpr std::string_view kEllipsis = "...";

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The bytes of the first `columns` columns of `text`.
std::string_view Head(std::string_view text, std::size_t columns)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsContinuation(text[i])) continue;
        if (characters++ == columns) return text.substr(0, i);
    }
    return text;
}

// The bytes of the last `columns` columns of `text`.
std::string_view Tail(std::string_view text, std::size_t columns)
{
    std::size_t characters = 0;
    for (std::size_t i = text.size(); i-- > 0;) {
        if (IsContinuation(text[i])) continue;
        if (++characters == columns) return text.substr(i);
    }
    return text;
}

}  // namespace

std::size_t ColumnsOf(std::string_view text)
{
    std::size_t columns = 0;
    for (const char c : text)
        if (!IsContinuation(c)) ++columns;
    return columns;
}

std::string CutToWidth(std::string_view text, std::size_t width)
{
    if (ColumnsOf(text) <= width) return std::string(text);
    if (width <= kEllipsis.size()) return std::string(kEllipsis.substr(0, width));
    return std::string(Head(text, width - kEllipsis.size())) + std::string(kEllipsis);
}

std::string ShortenPath(std::string_view path, std::size_t width)
{
    if (ColumnsOf(path) <= width) return std::string(path);
    const std::size_t separator = path.find_last_of("/\\");
    if (separator == std::string_view::npos) return CutToWidth(path, width);
    const std::string_view name = path.substr(separator);  // with its separator
    const std::size_t nameColumns = ColumnsOf(name);
    if (width <= kEllipsis.size()) return std::string(kEllipsis.substr(0, width));
    if (nameColumns + kEllipsis.size() + 1 > width)
        return std::string(kEllipsis) + std::string(Tail(path, width - kEllipsis.size()));
    std::string_view head = Head(path, width - kEllipsis.size() - nameColumns);
    // The head ends with a whole folder's name when it can.
    if (const std::size_t last = head.find_last_of("/\\"); last != std::string_view::npos)
        head = head.substr(0, last + 1);
    return std::string(head) + std::string(kEllipsis) + std::string(name);
}
