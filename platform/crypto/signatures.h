// SPDX-License-Identifier: MIT
// The two primitives that a signed package's check needs: the BLAKE2b-512
// digest and the Ed25519 signature check.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

using Blake2b512Digest = std::array<std::uint8_t, 64>;
using Ed25519PublicKey = std::array<std::uint8_t, 32>;
using Ed25519Signature = std::array<std::uint8_t, 64>;

Blake2b512Digest Blake2b512(std::string_view data);

// Whether `signature` is the Ed25519 signature of `message` by `key`
// (RFC 8032, pure Ed25519: the message itself is signed).
bool Ed25519SignatureValid(const Ed25519PublicKey& key, std::string_view message, const Ed25519Signature& signature);
