// SPDX-License-Identifier: MIT
#include "upgrade/package_manifest.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "platform/files/file_digest.h"
#include "platform/files/file_services.h"
#include "platform/files/paths.h"

namespace {

constexpr std::size_t kDigestLength = 64;
// A manifest names a handful of files; one of a megabyte is no manifest.
constexpr std::size_t kManifestLimit = 1 << 20;

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

struct Entry {
    std::string digest;
    std::string name;
};

// A line of the manifest; none when it is malformed.
std::optional<Entry> ParseLine(std::string line)
{
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() < kDigestLength + 3 || line[kDigestLength] != ' ') return std::nullopt;
    const char mode = line[kDigestLength + 1];
    if (mode != ' ' && mode != '*') return std::nullopt;
    std::string digest = line.substr(0, kDigestLength);
    if (!IsHexDigest(digest)) return std::nullopt;
    return Entry{Lower(digest), line.substr(kDigestLength + 2)};
}

}  // namespace

ManifestLine FindManifestLine(const std::optional<std::string>& manifest, const std::string& manifestPath,
                              const std::string& imageName)
{
    if (!manifest) return {ManifestVerdict::NoManifest, {}, {}};
    std::istringstream lines(*manifest);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        if (line.empty()) continue;
        const std::optional<Entry> entry = ParseLine(line);
        if (!entry)
            return {ManifestVerdict::Unreadable, {},
                    manifestPath + " line " + std::to_string(number) + " is not \"<sha256> <file name>\""};
        if (entry->name == imageName) return {ManifestVerdict::Matches, entry->digest, {}};
    }
    return {ManifestVerdict::NoLine, {}, manifestPath + " has no line for " + imageName};
}

ImageVerification JudgeImage(const ManifestLine& line, const std::optional<std::string>& digest,
                             const std::string& imagePath, const std::string& imageName)
{
    if (!digest) return {ManifestVerdict::Unreadable, {}, "the image " + imagePath + " cannot be read"};
    if (line.verdict != ManifestVerdict::Matches) return {line.verdict, *digest, line.reason};
    if (line.digest == *digest) return {ManifestVerdict::Matches, *digest, {}};
    return {ManifestVerdict::Mismatch, *digest,
            imageName + " has SHA-256 " + *digest + " but " + kManifestName + " lists " + line.digest};
}

std::optional<std::string> ReadManifest(const std::string& manifestPath)
{
    if (!PathExists(manifestPath)) return std::nullopt;
    if (std::optional<std::string> problem = ReadableFileProblem(manifestPath, EmptyFile::Allowed))
        throw std::runtime_error(manifestPath + " cannot be read: " + *problem);
    const std::optional<std::filesystem::path> hostPath = HostPathOf(manifestPath);
    std::ifstream file(hostPath ? *hostPath : std::filesystem::path(), std::ios::binary);
    std::string text;
    text.resize(kManifestLimit + 1);
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (file.bad() || (!file && !file.eof())) throw std::runtime_error(manifestPath + " cannot be read");
    text.resize(static_cast<std::size_t>(file.gcount()));
    if (text.size() > kManifestLimit) throw std::runtime_error(manifestPath + " is larger than 1 MiB");
    return text;
}

ImageVerification VerifyImage(const std::string& manifestPath, const std::string& imagePath,
                              const std::string& imageName)
{
    const std::optional<std::string> digest = Sha256OfFile(imagePath);
    std::optional<std::string> manifest;
    try {
        manifest = ReadManifest(manifestPath);
    } catch (const std::runtime_error& e) {
        return {ManifestVerdict::Unreadable, digest.value_or(""), e.what()};
    }
    return JudgeImage(FindManifestLine(manifest, manifestPath, imageName), digest, imagePath, imageName);
}
