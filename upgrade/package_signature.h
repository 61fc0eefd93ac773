// SPDX-License-Identifier: MIT
// The package's signature: SHA256SUMS.minisig beside SHA256SUMS, a minisign
// signature of the manifest by a trusted key. The policy is that of signed
// software repositories: once any key is trusted, a package must be signed
// by one of them; without any, an unsigned package is taken (and the log
// says so) unless a signature is required.
#pragma once

#include <optional>
#include <string>

#include "upgrade/trusted_keys.h"

inline constexpr char kSignatureName[] = "SHA256SUMS.minisig";

enum class SignatureVerdict {
    Unsigned,   // taken without a signature; `reason` says why that is allowed
    Unchecked,  // signed, but taken unchecked: no key is trusted and none is required
    Signed,     // signed by a trusted key
    Refused,   // `reason` says why
};

struct SignatureCheck {
    SignatureVerdict verdict = SignatureVerdict::Refused;
    std::string keyId;           // with Signed: the key's id, as minisign prints it
    std::string trustedComment;  // with Signed: the signed comment
    std::string reason;
};

// Checks `signature` (the signature file's text, none when the package has
// none) of `manifest` (the text of SHA256SUMS, none when it has none).
SignatureCheck CheckPackageSignature(const std::optional<std::string>& manifest,
                                     const std::optional<std::string>& signature, const TrustedKeys& keys,
                                     bool signatureRequired);
