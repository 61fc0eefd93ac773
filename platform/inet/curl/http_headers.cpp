// SPDX-License-Identifier: MIT
#include "platform/inet/curl/http_headers.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace {

std::vector<std::string_view> LinesOf(std::string_view block)
{
    std::vector<std::string_view> lines;
    while (!block.empty()) {
        const std::size_t end = std::min(block.find('\n'), block.size());
        std::string_view line = block.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) lines.push_back(line);
        block.remove_prefix(std::min(end + 1, block.size()));
    }
    return lines;
}

bool NamesHeader(std::string_view line, std::string_view name)
{
    if (line.size() <= name.size() || line[name.size()] != ':') return false;
    return std::equal(name.begin(), name.end(), line.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

bool AnyNames(const std::vector<std::string_view>& lines, std::string_view name)
{
    return std::any_of(lines.begin(), lines.end(), [name](std::string_view line) { return NamesHeader(line, name); });
}

}  // namespace

CurlSlist RequestHeaderLines(std::string_view block, bool post)
{
    const std::vector<std::string_view> lines = LinesOf(block);
    CurlSlist list;
    for (std::string_view line : lines) AppendLine(list, std::string(line));
    std::vector<std::string_view> unwanted = {"Accept", "Expect"};
    if (post) unwanted.push_back("Content-Type");
    for (std::string_view name : unwanted)
        if (!AnyNames(lines, name)) AppendLine(list, std::string(name) + ":");
    return list;
}
