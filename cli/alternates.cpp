// SPDX-License-Identifier: MIT
#include "cli/alternates.h"

#include "platform/files/file_services.h"
#include "upgrade/package_staging.h"

namespace {

struct Alternate {
    const char* name;
    const char* role;
};

constexpr Alternate kAlternates[] = {
    {"prod.bin", "uploaded as fw512000.bin in place of the package's image"},
    {"prof.bin", "uploaded as the device's profile prof.bin"},
    {"boot.bin", "uploaded as the device's boot image boot.bin"},
};

}  // namespace

std::vector<std::string> AlternatesInStaging()
{
    std::vector<std::string> present;
    for (const Alternate& alternate : kAlternates) {
        const std::string path = std::string(kStagingDirectory) + "\\" + alternate.name;
        if (PathExists(path)) present.push_back(path + " (" + alternate.role + ")");
    }
    return present;
}

std::string AlternatesRefusal(const std::vector<std::string>& alternates)
{
    std::string text = "the staging directory holds alternate files that would be uploaded to the device:\n";
    for (const std::string& alternate : alternates) text += "  " + alternate + "\n";
    return text + "Move them away, or pass --use-alternates to upload them.";
}
