// SPDX-License-Identifier: MIT
#include "upgrade/firmware_version.h"

#include <functional>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNumberCharacter(char c) { return IsDigit(c) || c == '.'; }

// Calls `visit` with each maximal run of digits and dots on `page` until it
// returns true; true when one did.
bool AnyNumber(std::string_view page, const std::function<bool(std::string_view)>& visit)
{
    std::size_t at = 0;
    while (at < page.size()) {
        if (!IsNumberCharacter(page[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < page.size() && IsNumberCharacter(page[end])) ++end;
        if (visit(page.substr(at, end - at))) return true;
        at = end;
    }
    return false;
}

// `number` up to where it stops being digits separated by single dots.
std::string_view VersionPart(std::string_view number)
{
    std::size_t end = 0;
    while (end < number.size()) {
        std::size_t digits = end;
        while (digits < number.size() && IsDigit(number[digits])) ++digits;
        if (digits == end) break;
        end = digits;
        if (end + 1 >= number.size() || number[end] != '.' || !IsDigit(number[end + 1])) break;
        ++end;
    }
    return number.substr(0, end);
}

}  // namespace

bool HasVersionMark(std::string_view page, std::string_view mark)
{
    return AnyNumber(page, [mark](std::string_view number) { return number.starts_with(mark); });
}

std::string FirmwareVersionOf(std::string_view page, std::string_view mark)
{
    std::string found = "unknown";
    AnyNumber(page, [&](std::string_view number) {
        const std::string_view version = VersionPart(number);
        if (!number.starts_with(mark) || version.size() <= mark.size()) return false;
        found = version;
        return true;
    });
    return found;
}

std::optional<std::string> ShownFirmwareVersion(std::string_view page)
{
    const std::size_t word = page.find("Firmware");
    if (word == std::string_view::npos) return std::nullopt;
    std::optional<std::string> found;
    AnyNumber(page.substr(word), [&](std::string_view number) {
        const std::string_view version = VersionPart(number);
        if (version.find('.') == std::string_view::npos) return false;
        found = version;
        return true;
    });
    return found;
}
