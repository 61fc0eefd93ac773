// SPDX-License-Identifier: MIT
#include "platform/files/trusted_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files/posix/descriptor.h"

namespace {

std::string Named(const std::filesystem::path& path, const std::string& problem)
{
    return path.string() + " " + problem;
}

// Why an object with `info` cannot be trusted: its owner and who may write it.
std::optional<std::string> OwnerProblem(const std::filesystem::path& path, const struct stat& info)
{
    if (info.st_uid != ::geteuid() && info.st_uid != 0) return Named(path, "is owned by neither this user nor root");
    if (info.st_mode & (S_IWGRP | S_IWOTH)) return Named(path, "is writable by group or others");
    return std::nullopt;
}

std::string SystemProblem(const std::filesystem::path& path) { return path.string() + ": " + std::strerror(errno); }

}  // namespace

TrustedFileText ReadTrustedFile(const std::filesystem::path& hostPath, std::size_t limit)
{
    struct stat info {};
    if (::lstat(hostPath.c_str(), &info) != 0) return {{}, SystemProblem(hostPath)};
    if (S_ISLNK(info.st_mode)) return {{}, Named(hostPath, "is a symbolic link")};
    const Descriptor file(::open(hostPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) return {{}, SystemProblem(hostPath)};
    if (::fstat(file.get(), &info) != 0) return {{}, SystemProblem(hostPath)};
    if (!S_ISREG(info.st_mode)) return {{}, Named(hostPath, "is not a regular file")};
    if (std::optional<std::string> problem = OwnerProblem(hostPath, info)) return {{}, *problem};
    if (static_cast<std::size_t>(info.st_size) > limit)
        return {{}, Named(hostPath, "is larger than " + std::to_string(limit) + " bytes")};
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(file.get(), text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return {{}, SystemProblem(hostPath)};
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    text.resize(got);
    return {text, {}};
}

std::optional<std::string> TrustedDirectoryProblem(const std::filesystem::path& hostPath)
{
    struct stat info {};
    if (::lstat(hostPath.c_str(), &info) != 0) return errno == ENOENT ? std::nullopt : std::optional(SystemProblem(hostPath));
    if (S_ISLNK(info.st_mode)) return Named(hostPath, "is a symbolic link");
    if (!S_ISDIR(info.st_mode)) return Named(hostPath, "is not a directory");
    return OwnerProblem(hostPath, info);
}
