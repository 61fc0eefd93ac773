// SPDX-License-Identifier: MIT
#include "upgrade/minisign_format.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

constexpr std::string_view kUntrustedPrefix = "untrusted comment: ";
constexpr std::string_view kTrustedPrefix = "trusted comment: ";
constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The file's lines without their line ends (LF or CR LF); a last line end is
// optional.
std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

// Strict base64 with padding: the text must decode to exactly `size` bytes
// and be the one encoding of them.
template <std::size_t size>
std::array<std::uint8_t, size> Base64Exactly(std::string_view text, const char* what)
{
    const std::size_t expectedLength = (size + 2) / 3 * 4;
    if (text.size() != expectedLength) throw MinisignFormatError(std::string(what) + " is not of the right length");
    std::vector<std::uint8_t> bytes;
    unsigned buffer = 0;
    int bits = 0;
    const std::size_t padding = expectedLength - (size * 4 + 2) / 3;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i >= text.size() - padding) {
            if (text[i] != '=') throw MinisignFormatError(std::string(what) + " is not valid base64");
            continue;
        }
        const std::size_t value = kAlphabet.find(text[i]);
        if (value == std::string_view::npos) throw MinisignFormatError(std::string(what) + " is not valid base64");
        buffer = (buffer << 6) | static_cast<unsigned>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<std::uint8_t>((buffer >> bits) & 0xFF));
        }
    }
    if (bytes.size() != size || (buffer & ((1u << bits) - 1)) != 0)
        throw MinisignFormatError(std::string(what) + " is not valid base64");
    std::array<std::uint8_t, size> decoded{};
    std::copy(bytes.begin(), bytes.end(), decoded.begin());
    return decoded;
}

template <std::size_t size, std::size_t from>
std::array<std::uint8_t, size> Slice(const auto& bytes)
{
    std::array<std::uint8_t, size> part{};
    std::copy_n(bytes.begin() + from, size, part.begin());
    return part;
}

void ExpectPrefix(std::string_view line, std::string_view prefix, const char* file)
{
    if (!line.starts_with(prefix))
        throw MinisignFormatError(std::string(file) + " has no \"" + std::string(prefix.substr(0, prefix.size() - 1)) +
                                  "\" line where one is expected");
}

bool Is(const auto& bytes, char first, char second) { return bytes[0] == first && bytes[1] == second; }

}  // namespace

std::string KeyIdText(const MinisignKeyId& id)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (auto byte = id.rbegin(); byte != id.rend(); ++byte) {
        text += kHex[*byte >> 4];
        text += kHex[*byte & 0xF];
    }
    return text;
}

MinisignPublicKey ParseMinisignPublicKey(std::string_view text)
{
    const std::vector<std::string_view> lines = Lines(text);
    if (lines.size() != 2) throw MinisignFormatError("the key file does not have the two lines of a minisign public key");
    ExpectPrefix(lines[0], kUntrustedPrefix, "the key file");
    const auto bytes = Base64Exactly<42>(lines[1], "the public key");
    if (!Is(bytes, 'E', 'd')) throw MinisignFormatError("the public key is not an Ed25519 key");
    return {Slice<8, 2>(bytes), Slice<32, 10>(bytes)};
}

MinisignSignature ParseMinisignSignature(std::string_view text)
{
    const std::vector<std::string_view> lines = Lines(text);
    if (lines.size() != 4) throw MinisignFormatError("the signature file does not have the four lines of a minisign signature");
    ExpectPrefix(lines[0], kUntrustedPrefix, "the signature file");
    const auto bytes = Base64Exactly<74>(lines[1], "the signature");
    const bool prehashed = Is(bytes, 'E', 'D');
    if (!prehashed && !Is(bytes, 'E', 'd')) throw MinisignFormatError("the signature's algorithm is neither ED nor Ed");
    ExpectPrefix(lines[2], kTrustedPrefix, "the signature file");
    MinisignSignature signature;
    signature.prehashed = prehashed;
    signature.keyId = Slice<8, 2>(bytes);
    signature.signature = Slice<64, 10>(bytes);
    signature.trustedComment = std::string(lines[2].substr(kTrustedPrefix.size()));
    signature.globalSignature = Base64Exactly<64>(lines[3], "the global signature");
    return signature;
}
