// SPDX-License-Identifier: MIT
#include "platform/console/terminal_text.h"

#include <cstdio>

namespace {

std::string Escape(const char* format, unsigned value)
{
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, format, value);
    return escaped;
}

// The length of the valid UTF-8 sequence at the start of `text`; 0 when it
// does not start with one.
std::size_t SequenceLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned lead = byte(0);
    std::size_t length = 0;
    unsigned min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        min = 0x10000;
    }
    if (length == 0 || text.size() < length) return 0;
    unsigned code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

bool IsC1(std::string_view sequence)
{
    return sequence.size() == 2 && static_cast<unsigned char>(sequence[0]) == 0xC2 &&
           static_cast<unsigned char>(sequence[1]) < 0xA0;
}

}  // namespace

std::string EscapeControlCharacters(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    while (!text.empty()) {
        const auto c = static_cast<unsigned char>(text[0]);
        std::size_t taken = 1;
        if (c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7F)) {
            shown += text[0];
        } else if (c < 0x80) {
            shown += Escape("\\x%02X", c);
        } else if (std::size_t length = SequenceLength(text); length == 0) {
            shown += Escape("\\x%02X", c);
        } else if (IsC1(text.substr(0, length))) {
            shown += Escape("\\u%04X", static_cast<unsigned char>(text[1]));
            taken = length;
        } else {
            shown.append(text.substr(0, length));
            taken = length;
        }
        text.remove_prefix(taken);
    }
    return shown;
}
