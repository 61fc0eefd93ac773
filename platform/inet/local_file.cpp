// SPDX-License-Identifier: MIT
#include "platform/inet/local_file.h"

#include <cerrno>
#include <system_error>

std::string LocalFileProblem(const std::filesystem::path& path, const std::string& what)
{
    return path.string() + ": " + what;
}

std::string LocalFileProblem(const std::filesystem::path& path, int error)
{
    return LocalFileProblem(path, std::generic_category().message(error));
}

std::string DownloadTargetProblem(const std::filesystem::path& path)
{
    std::error_code error;
    const std::filesystem::path directory = path.has_parent_path() ? path.parent_path() : ".";
    const std::filesystem::file_status folder = std::filesystem::status(directory, error);
    if (folder.type() == std::filesystem::file_type::not_found) return LocalFileProblem(directory, ENOENT);
    if (error) return LocalFileProblem(directory, error.message());
    if (folder.type() != std::filesystem::file_type::directory) return LocalFileProblem(directory, ENOTDIR);
    const std::filesystem::file_status target = std::filesystem::symlink_status(path, error);
    switch (target.type()) {
    case std::filesystem::file_type::not_found:
    case std::filesystem::file_type::regular: return {};
    case std::filesystem::file_type::symlink: return LocalFileProblem(path, "a symbolic link");
    case std::filesystem::file_type::directory: return LocalFileProblem(path, EISDIR);
    default: return LocalFileProblem(path, error ? error.message() : "not a regular file");
    }
}
