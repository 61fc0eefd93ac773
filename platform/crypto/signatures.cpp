// SPDX-License-Identifier: MIT
#include "platform/crypto/signatures.h"

#include <gcrypt.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace {

// libgcrypt must be told once that it is set up; its secure memory is not
// needed for checks, which handle no secret.
void Initialise()
{
    static const bool initialised = [] {
        if (!gcry_check_version(GCRYPT_VERSION)) throw std::runtime_error("libgcrypt is older than its header");
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        return true;
    }();
    (void)initialised;
}

struct SexpDeleter {
    void operator()(gcry_sexp_t sexp) const { gcry_sexp_release(sexp); }
};
using Sexp = std::unique_ptr<gcry_sexp, SexpDeleter>;

// An S-expression built from `format` and its arguments; throws when
// libgcrypt cannot build it (it only fails for want of memory).
template <typename... Arguments>
Sexp Build(const char* format, Arguments... arguments)
{
    gcry_sexp_t built = nullptr;
    const gcry_error_t error = gcry_sexp_build(&built, nullptr, format, arguments...);
    if (error) throw std::runtime_error(std::string("libgcrypt: ") + gcry_strerror(error));
    return Sexp(built);
}

}  // namespace

Blake2b512Digest Blake2b512(std::string_view data)
{
    Initialise();
    Blake2b512Digest digest{};
    gcry_md_hash_buffer(GCRY_MD_BLAKE2B_512, digest.data(), data.data(), data.size());
    return digest;
}

bool Ed25519SignatureValid(const Ed25519PublicKey& key, std::string_view message, const Ed25519Signature& signature)
{
    Initialise();
    const int half = static_cast<int>(signature.size() / 2);
    const Sexp publicKey =
        Build("(public-key (ecc (curve Ed25519) (flags eddsa) (q %b)))", static_cast<int>(key.size()), key.data());
    const Sexp signed_ = Build("(sig-val (eddsa (r %b) (s %b)))", half, signature.data(), half, signature.data() + half);
    const Sexp data =
        Build("(data (flags eddsa) (hash-algo sha512) (value %b))", static_cast<int>(message.size()), message.data());
    return gcry_pk_verify(signed_.get(), data.get(), publicKey.get()) == 0;
}
