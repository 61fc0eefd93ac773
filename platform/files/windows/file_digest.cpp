// SPDX-License-Identifier: MIT
#include "platform/files/file_digest.h"

// <windows.h> before the system's other headers.
#include "platform/base/windows_headers.h"

#include <bcrypt.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/files/windows/wide_text.h"

namespace {

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// A SHA-256 hash object of the system's cryptography (BCrypt).
class Sha256 {
public:
    Sha256()
    {
        if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&m_algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) return;
        if (!BCRYPT_SUCCESS(::BCryptCreateHash(m_algorithm, &m_hash, nullptr, 0, nullptr, 0, 0))) m_hash = nullptr;
    }
    ~Sha256()
    {
        if (m_hash) ::BCryptDestroyHash(m_hash);
        if (m_algorithm) ::BCryptCloseAlgorithmProvider(m_algorithm, 0);
    }
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    bool Ready() const { return m_hash != nullptr; }
    bool Add(unsigned char* bytes, std::size_t size)
    {
        return BCRYPT_SUCCESS(::BCryptHashData(m_hash, bytes, static_cast<ULONG>(size), 0));
    }
    bool Finish(unsigned char (&digest)[32]) { return BCRYPT_SUCCESS(::BCryptFinishHash(m_hash, digest, 32, 0)); }

private:
    BCRYPT_ALG_HANDLE m_algorithm = nullptr;
    BCRYPT_HASH_HANDLE m_hash = nullptr;
};

constexpr std::size_t kPiece = 64 * 1024;

std::string Hex(const unsigned char* bytes, std::size_t size)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < size; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 0x0F];
    }
    return hex;
}

}  // namespace

std::optional<std::string> Sha256OfFile(const std::string& path)
{
    std::unique_ptr<std::FILE, FileClose> file(::_wfopen(Utf16(path).c_str(), L"rb"));
    Sha256 hash;
    if (!file || !hash.Ready()) return std::nullopt;
    std::vector<unsigned char> piece(kPiece);
    while (std::size_t got = std::fread(piece.data(), 1, piece.size(), file.get()))
        if (!hash.Add(piece.data(), got)) return std::nullopt;
    if (std::ferror(file.get())) return std::nullopt;
    unsigned char digest[32];
    if (!hash.Finish(digest)) return std::nullopt;
    return Hex(digest, sizeof digest);
}
