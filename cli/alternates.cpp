// SPDX-License-Identifier: MIT
#include "cli/alternates.h"

#include "platform/files/file_services.h"
#include "upgrade/alternate_files.h"

std::vector<std::string> AlternatesInStaging()
{
    std::vector<std::string> present;
    for (const AlternateFile& alternate : kAlternateFiles) {
        const std::string path = StagingPathOf(alternate);
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
