// SPDX-License-Identifier: MIT
#include "cli/fleet/address_rules.h"

#include <algorithm>
#include <vector>

#include "platform/inet/host_name.h"

namespace {

constexpr std::size_t kMaxLabelBytes = 63;

std::string Column(std::size_t index) { return " at column " + std::to_string(index + 1); }

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string Hex(unsigned char byte) { return std::string("0x") + kHexDigits[byte >> 4] + kHexDigits[byte & 0x0F]; }

// The code point of a control character, whose last byte holds it.
std::string CodePoint(unsigned char last) { return std::string("U+00") + kHexDigits[last >> 4] + kHexDigits[last & 0x0F]; }

// The length of the UTF-8 sequence that starts at `at`, 0 when none does
// (a stray continuation byte, an overlong form, a surrogate, past U+10FFFF,
// or cut short).
std::size_t SequenceLength(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    return length;
}

bool IsControl(std::string_view text, std::size_t at, std::size_t length)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    if (length == 1) return (lead < 0x20 && lead != '\t') || lead == 0x7F;
    // U+0080 to U+009F, the C1 controls.
    return length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[at + 1]) <= 0x9F;
}

std::vector<std::string_view> Labels(std::string_view name)
{
    std::vector<std::string_view> labels;
    for (std::size_t start = 0;;) {
        const std::size_t dot = name.find('.', start);
        labels.push_back(name.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start));
        if (dot == std::string_view::npos) return labels;
        start = dot + 1;
    }
}

bool IsLabelCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<std::string> LabelProblem(std::string_view label)
{
    if (label.empty()) return "an empty label";
    if (label.size() > kMaxLabelBytes) return "a label longer than 63 bytes";
    if (label.front() == '-' || label.back() == '-') return "a label that begins or ends with '-'";
    return std::nullopt;
}

std::optional<std::string> HostNameProblem(const std::string& address)
{
    std::string_view name = address;
    if (name.size() > 1 && name.back() == '.') name.remove_suffix(1);
    if (!std::all_of(name.begin(), name.end(), [](char c) { return c == '.' || IsLabelCharacter(c); }))
        return "is no host name: it has a character a host name cannot hold (letters, digits, '-' and '.' only)";
    const std::vector<std::string_view> labels = Labels(name);
    for (const std::string_view label : labels)
        if (std::optional<std::string> problem = LabelProblem(label)) return "is no host name: it has " + *problem;
    // A name of numbers alone would be an IP address, and is not one.
    if (std::all_of(labels.back().begin(), labels.back().end(), IsDigit)) return "is no IP address";
    return std::nullopt;
}

}  // namespace

std::optional<std::string> TextProblem(std::string_view line)
{
    for (std::size_t at = 0; at < line.size();) {
        const std::size_t length = SequenceLength(line, at);
        if (length == 0)
            return "is not valid UTF-8: byte " + Hex(static_cast<unsigned char>(line[at])) + Column(at);
        if (line[at] == '\0') return "holds a NUL byte" + Column(at);
        if (IsControl(line, at, length))
            return "holds the control character " + CodePoint(static_cast<unsigned char>(line[at + length - 1])) +
                   Column(at);
        at += length;
    }
    return std::nullopt;
}

std::optional<std::string> AddressProblem(const std::string& address)
{
    if (address.front() == '-') return "begins with '-': an address is expected, not an option";
    if (address.size() > kMaxAddressBytes)
        return "is " + std::to_string(address.size()) + " bytes long; an address has at most " +
               std::to_string(kMaxAddressBytes);
    const bool bracketed = address.front() == '[' && address.back() == ']';
    const std::string host = bracketed ? address.substr(1, address.size() - 2) : address;
    if (const std::optional<std::string> literal = CanonicalIpLiteral(host)) {
        if (bracketed && literal->find(':') == std::string::npos) return "is an IPv4 address in brackets";
        return std::nullopt;
    }
    if (bracketed || host.find(':') != std::string::npos) return "is no IP address";
    return HostNameProblem(host);
}
