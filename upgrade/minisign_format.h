// SPDX-License-Identifier: MIT
// Public keys and detached signatures in the format of the minisign tool.
// A public key file: an "untrusted comment: " line, then base64 of "Ed", the
// 8-byte key id and the 32-byte Ed25519 key. A signature file: an
// "untrusted comment: " line; base64 of the algorithm ("ED": the file's
// BLAKE2b-512 digest is signed; "Ed", the legacy one: the file itself), the
// key id and the 64-byte signature; a "trusted comment: " line; and base64
// of the global signature, over the signature and the trusted comment's text.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/crypto/signatures.h"

using MinisignKeyId = std::array<std::uint8_t, 8>;

// The key id as minisign prints it: 16 upper-case hex digits of its bytes
// read as a little-endian number ("3F2A...").
std::string KeyIdText(const MinisignKeyId& id);

struct MinisignPublicKey {
    MinisignKeyId id{};
    Ed25519PublicKey key{};
};

struct MinisignSignature {
    bool prehashed = true;  // "ED"; false for the legacy "Ed"
    MinisignKeyId keyId{};
    Ed25519Signature signature{};
    std::string trustedComment;
    Ed25519Signature globalSignature{};
};

// What is wrong with a key or signature file, in words for the log.
class MinisignFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parse a file's text; throw MinisignFormatError for anything else.
MinisignPublicKey ParseMinisignPublicKey(std::string_view text);
MinisignSignature ParseMinisignSignature(std::string_view text);
