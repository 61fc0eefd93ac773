// SPDX-License-Identifier: MIT
#include "platform/inet/local_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace {

std::string Problem(const std::filesystem::path& path, const std::string& text) { return path.string() + ": " + text; }

}  // namespace

std::string LocalFileProblem(const std::filesystem::path& path, int error)
{
    return Problem(path, std::generic_category().message(error));
}

FileStream OpenUploadSource(const std::filesystem::path& path, std::string& problem)
{
    // Non-blocking, so that opening a pipe does not wait for a writer; the
    // flag is cleared again for the regular file that remains.
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        problem = LocalFileProblem(path, errno);
        return nullptr;
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0) {
        problem = LocalFileProblem(path, errno);
    } else if (S_ISDIR(status.st_mode)) {
        problem = LocalFileProblem(path, EISDIR);
    } else if (!S_ISREG(status.st_mode)) {
        problem = Problem(path, "not a regular file");
    } else {
        const int flags = fcntl(descriptor, F_GETFL);
        if (flags >= 0 && fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == 0) {
            FileStream stream(fdopen(descriptor, "rb"));
            if (stream) return stream;
        }
        problem = LocalFileProblem(path, errno);
    }
    close(descriptor);
    return nullptr;
}

std::string DownloadTargetProblem(const std::filesystem::path& path)
{
    std::error_code error;
    const std::filesystem::path directory = path.has_parent_path() ? path.parent_path() : ".";
    const std::filesystem::file_status folder = std::filesystem::status(directory, error);
    if (folder.type() == std::filesystem::file_type::not_found) return LocalFileProblem(directory, ENOENT);
    if (error) return Problem(directory, error.message());
    if (folder.type() != std::filesystem::file_type::directory) return LocalFileProblem(directory, ENOTDIR);
    const std::filesystem::file_status target = std::filesystem::symlink_status(path, error);
    switch (target.type()) {
    case std::filesystem::file_type::not_found:
    case std::filesystem::file_type::regular: return {};
    case std::filesystem::file_type::symlink: return Problem(path, "a symbolic link");
    case std::filesystem::file_type::directory: return LocalFileProblem(path, EISDIR);
    default: return error ? Problem(path, error.message()) : Problem(path, "not a regular file");
    }
}
