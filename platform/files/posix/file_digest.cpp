// SPDX-License-Identifier: MIT
#include "platform/files/file_digest.h"

#include <openssl/evp.h>

#include <cstdio>
#include <memory>

#include "platform/files/paths.h"

namespace {

struct DigestContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

constexpr std::size_t kPiece = 64 * 1024;

std::string Hex(const unsigned char* bytes, unsigned size)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned i = 0; i < size; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 0x0F];
    }
    return hex;
}

}  // namespace

std::optional<std::string> Sha256OfFile(const std::string& path)
{
    const std::optional<std::filesystem::path> hostPath = HostPathOf(path);
    if (!hostPath) return std::nullopt;
    std::unique_ptr<std::FILE, FileClose> file(std::fopen(hostPath->c_str(), "rb"));
    std::unique_ptr<EVP_MD_CTX, DigestContextFree> context(EVP_MD_CTX_new());
    if (!file || !context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) return std::nullopt;
    std::unique_ptr<unsigned char[]> piece(new unsigned char[kPiece]);
    while (std::size_t got = std::fread(piece.get(), 1, kPiece, file.get()))
        if (EVP_DigestUpdate(context.get(), piece.get(), got) != 1) return std::nullopt;
    if (std::ferror(file.get())) return std::nullopt;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned size = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &size) != 1) return std::nullopt;
    return Hex(digest, size);
}
