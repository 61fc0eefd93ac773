// SPDX-License-Identifier: MIT
#include "upgrade/package_manifest.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

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

std::optional<std::string> ReadPackageFile(const std::string& path, std::size_t limit)
{
    if (!PathExists(path)) return std::nullopt;
    if (std::optional<std::string> problem = ReadableFileProblem(path, EmptyFile::Allowed))
        throw std::runtime_error(path + " cannot be read: " + *problem);
    const std::optional<std::filesystem::path> hostPath = HostPathOf(path);
    std::ifstream file(hostPath ? *hostPath : std::filesystem::path(), std::ios::binary);
    std::string text(limit + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (file.bad() || (!file && !file.eof())) throw std::runtime_error(path + " cannot be read");
    text.resize(static_cast<std::size_t>(file.gcount()));
    if (text.size() > limit) throw std::runtime_error(path + " is larger than " + std::to_string(limit) + " bytes");
    return text;
}
