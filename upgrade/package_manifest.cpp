// SPDX-License-Identifier: MIT
#include "upgrade/package_manifest.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "platform/files/file_digest.h"
#include "platform/files/file_services.h"
#include "platform/files/paths.h"

namespace {

constexpr std::size_t kDigestLength = 64;

bool IsHexDigest(const std::string& text)
{
    return text.size() == kDigestLength &&
           std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

std::string Lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

struct ManifestLine {
    std::string digest;
    std::string name;
};

// A line of the manifest; none when it is malformed.
std::optional<ManifestLine> ParseLine(std::string line)
{
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() < kDigestLength + 3 || line[kDigestLength] != ' ') return std::nullopt;
    const char mode = line[kDigestLength + 1];
    if (mode != ' ' && mode != '*') return std::nullopt;
    std::string digest = line.substr(0, kDigestLength);
    if (!IsHexDigest(digest)) return std::nullopt;
    return ManifestLine{Lower(digest), line.substr(kDigestLength + 2)};
}

}  // namespace

ImageVerification VerifyImage(const std::string& manifestPath, const std::string& imagePath,
                              const std::string& imageName)
{
    const std::optional<std::string> digest = Sha256OfFile(imagePath);
    if (!digest) return {ManifestVerdict::Unreadable, {}, "the image " + imagePath + " cannot be read"};
    if (!PathExists(manifestPath)) return {ManifestVerdict::NoManifest, *digest, {}};
    const std::optional<std::filesystem::path> hostPath = HostPathOf(manifestPath);
    std::ifstream manifest(hostPath ? *hostPath : std::filesystem::path());
    if (!manifest) return {ManifestVerdict::Unreadable, *digest, manifestPath + " cannot be read"};
    int number = 0;
    for (std::string line; std::getline(manifest, line);) {
        ++number;
        if (line.empty()) continue;
        const std::optional<ManifestLine> entry = ParseLine(line);
        if (!entry)
            return {ManifestVerdict::Unreadable, *digest,
                    manifestPath + " line " + std::to_string(number) + " is not \"<sha256> <file name>\""};
        if (entry->name != imageName) continue;
        if (entry->digest == *digest) return {ManifestVerdict::Matches, *digest, {}};
        return {ManifestVerdict::Mismatch, *digest,
                imageName + " has SHA-256 " + *digest + " but " + manifestPath + " lists " + entry->digest};
    }
    return {ManifestVerdict::NoLine, *digest, manifestPath + " has no line for " + imageName};
}
