// SPDX-License-Identifier: MIT
// Signed packages for the tests, made by the real minisign tool with the
// test key pairs of tests/data/keys ("packager", "stranger").
#pragma once

#include <filesystem>
#include <string>

// The public key file of the test key `name`.
std::filesystem::path TestPublicKey(const std::string& name);

enum class SignatureKind { Prehashed, Legacy };

// Signs `file` with the test key `name` into `file`.minisig, with
// `trustedComment`; throws std::runtime_error when minisign fails.
void SignWithTestKey(const std::filesystem::path& file, const std::string& name, const std::string& trustedComment,
                     SignatureKind kind);
