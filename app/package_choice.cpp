// SPDX-License-Identifier: MIT
#include "app/package_choice.h"

#include <system_error>

namespace {

constexpr char kPackageImage[] = "fw512000.bin";

PackageChoice Enter(const std::filesystem::path& directory)
{
    std::error_code error;
    if (!std::filesystem::is_directory(directory, error))
        return {std::nullopt, "the package directory " + directory.string() + " does not exist"};
    std::filesystem::current_path(directory, error);
    if (error) return {std::nullopt, "cannot enter the package directory " + directory.string() + ": " + error.message()};
    return {std::filesystem::current_path(), ""};
}

}  // namespace

bool HoldsPackage(const std::filesystem::path& directory)
{
    std::error_code error;
    return std::filesystem::is_regular_file(directory / kPackageImage, error);
}

PackageChoice EnterPackageDirectory(const std::optional<std::string>& argument,
                                    const DirectoryChooser& choose)
{
    if (argument) return Enter(*argument);
    if (HoldsPackage(".")) return {std::filesystem::current_path(), ""};
    const std::optional<std::filesystem::path> chosen =
        choose(std::string("Choose the firmware package directory (holding ") + kPackageImage + ")",
               std::filesystem::current_path());
    if (!chosen) {
        return {std::nullopt,
                std::string("no package directory was chosen; start the wizard in a directory holding ") +
                    kPackageImage + ", or name the directory: ndxu-upgrade-wizard PACKAGE_DIR"};
    }
    return Enter(*chosen);
}
