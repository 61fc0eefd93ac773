// SPDX-License-Identifier: MIT
#include "upgrade/package_signature.h"

#include <algorithm>

namespace {

SignatureCheck Refused(std::string reason) { return {SignatureVerdict::Refused, {}, {}, std::move(reason)}; }

SignatureCheck Unsigned(const TrustedKeys& keys, bool signatureRequired)
{
    if (signatureRequired) return Refused("the package is not signed, and a signature is required");
    if (!keys.keys.empty())
        return Refused("the package is not signed, and packages must be signed by one of the " +
                       std::to_string(keys.keys.size()) + " trusted keys");
    return {SignatureVerdict::Unsigned, {}, {}, "no trusted key is installed"};
}

const TrustedKey* KeyWithId(const TrustedKeys& keys, const MinisignKeyId& id)
{
    const auto found =
        std::find_if(keys.keys.begin(), keys.keys.end(), [&](const TrustedKey& trusted) { return trusted.key.id == id; });
    return found == keys.keys.end() ? nullptr : &*found;
}

std::string_view Bytes(const auto& array)
{
    return {reinterpret_cast<const char*>(array.data()), array.size()};
}

// Whether the signature's two parts hold: the manifest's (its BLAKE2b-512
// digest, or the legacy way the manifest itself) and the global one over the
// signature and the trusted comment. The reason when one does not.
std::optional<std::string> BrokenPart(const std::string& manifest, const MinisignSignature& signature,
                                      const Ed25519PublicKey& key)
{
    Blake2b512Digest digest{};
    if (signature.prehashed) digest = Blake2b512(manifest);
    const std::string_view signedManifest = signature.prehashed ? Bytes(digest) : std::string_view(manifest);
    if (!Ed25519SignatureValid(key, signedManifest, signature.signature))
        return "the signature does not match SHA256SUMS: it was changed after signing, or signed otherwise";
    const std::string global = std::string(Bytes(signature.signature)) + signature.trustedComment;
    if (!Ed25519SignatureValid(key, global, signature.globalSignature))
        return "the trusted comment does not match its signature: it was changed after signing";
    return std::nullopt;
}

}  // namespace

SignatureCheck CheckPackageSignature(const std::optional<std::string>& manifest,
                                     const std::optional<std::string>& signature, const TrustedKeys& keys,
                                     bool signatureRequired)
{
    if (!keys.problem.empty()) return Refused(keys.problem);
    if (!signature) return Unsigned(keys, signatureRequired);
    if (!manifest) return Refused(std::string("the package has ") + kSignatureName + " but no SHA256SUMS");
    MinisignSignature parsed;
    try {
        parsed = ParseMinisignSignature(*signature);
    } catch (const MinisignFormatError& e) {
        return Refused(std::string(kSignatureName) + ": " + e.what());
    }
    const TrustedKey* key = KeyWithId(keys, parsed.keyId);
    if (!key) {
        if (keys.keys.empty() && !signatureRequired)
            return {SignatureVerdict::Unchecked, {}, {},
                    "signed by key " + KeyIdText(parsed.keyId) + ", but no trusted key is installed"};
        return Refused("signed by key " + KeyIdText(parsed.keyId) + ", which is not a trusted key");
    }
    if (std::optional<std::string> broken = BrokenPart(*manifest, parsed, key->key.key)) return Refused(*broken);
    return {SignatureVerdict::Signed, KeyIdText(parsed.keyId), parsed.trustedComment, {}};
}
