// SPDX-License-Identifier: MIT
#include "upgrade/trusted_keys.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/files/config_directories.h"
#include "platform/files/trusted_files.h"

namespace fs = std::filesystem;

namespace {

// A public key file is two short lines.
constexpr std::size_t kKeyFileLimit = 4096;

// Adds the key in `file` to `keys`; false, with the problem set, when it
// cannot be trusted.
bool AddKeyFile(TrustedKeys& keys, const fs::path& file)
{
    const TrustedFileText read = ReadTrustedFile(file, kKeyFileLimit);
    if (!read.problem.empty()) {
        keys.problem = "trusted key " + read.problem;
        return false;
    }
    try {
        keys.keys.push_back({ParseMinisignPublicKey(read.text), file.string()});
        return true;
    } catch (const MinisignFormatError& e) {
        keys.problem = "trusted key " + file.string() + ": " + e.what();
        return false;
    }
}

// The *.pub files of `directory`, in the order of their names.
std::vector<fs::path> KeyFilesIn(const fs::path& directory, std::error_code& error)
{
    std::vector<fs::path> files;
    for (fs::directory_iterator entry(directory, error), end; !error && entry != end; entry.increment(error))
        if (entry->path().extension() == ".pub") files.push_back(entry->path());
    std::sort(files.begin(), files.end());
    return files;
}

// Adds the keys of `configDirectory`'s trusted-keys directory; false, with
// the problem set, when one of them or the directory cannot be trusted.
bool AddKeyDirectory(TrustedKeys& keys, const std::optional<fs::path>& configDirectory)
{
    if (!configDirectory) return true;
    const fs::path directory = *configDirectory / "trusted-keys";
    if (std::optional<std::string> problem = TrustedDirectoryProblem(directory)) {
        keys.problem = "trusted-keys directory " + *problem;
        return false;
    }
    std::error_code error;
    if (!fs::exists(directory, error)) return true;
    const std::vector<fs::path> files = KeyFilesIn(directory, error);
    if (error) {
        keys.problem = "trusted-keys directory " + directory.string() + ": " + error.message();
        return false;
    }
    return std::all_of(files.begin(), files.end(), [&](const fs::path& file) { return AddKeyFile(keys, file); });
}

}  // namespace

TrustedKeys LoadTrustedKeys(const std::vector<std::string>& givenFiles)
{
    TrustedKeys keys;
    if (!AddKeyDirectory(keys, SystemConfigDirectory()) || !AddKeyDirectory(keys, UserConfigDirectory())) return keys;
    for (const std::string& file : givenFiles)
        if (!AddKeyFile(keys, fs::path(file))) return keys;
    return keys;
}
