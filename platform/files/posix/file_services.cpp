// SPDX-License-Identifier: MIT
#include "platform/files/file_services.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "platform/files/paths.h"
#include "platform/files/posix/descriptor.h"

namespace fs = std::filesystem;

namespace {

// Writes all of `size` bytes; false on a write error.
bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Streams the rest of `from` into `to`.
bool CopyContents(int from, int to)
{
    std::array<char, 65536> buffer{};
    for (;;) {
        ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        if (!WriteAll(to, buffer.data(), static_cast<std::size_t>(got))) return false;
    }
}

// Opens a regular file for reading; -1 otherwise. A FIFO planted under the
// name does not block the open.
int OpenRegularFile(const fs::path& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

BOOL CreateDirectoryEx(const std::string&, const std::string& newDirectory, const void*)
{
    std::optional<fs::path> path = HostPathOf(newDirectory);
    if (!path) return FALSE;
    return ::mkdir(path->c_str(), 0700) == 0 ? TRUE : FALSE;
}

BOOL CopyFile(const std::string& existingFile, const std::string& newFile, BOOL failIfExists)
{
    std::optional<fs::path> from = HostPathOf(existingFile);
    std::optional<fs::path> to = HostPathOf(newFile);
    if (!from || !to) return FALSE;
    Descriptor source(OpenRegularFile(*from));
    if (source.get() < 0) return FALSE;

    std::string temporary = to->string() + ".part-XXXXXX";
    Descriptor target(::mkstemp(temporary.data()));
    if (target.get() < 0) return FALSE;
    const bool copied = CopyContents(source.get(), target.get());
    const unsigned flags = failIfExists ? RENAME_NOREPLACE : 0;
    if (copied && ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, to->c_str(), flags) == 0) return TRUE;
    ::unlink(temporary.c_str());
    return FALSE;
}

BOOL MoveFile(const std::string& existingFile, const std::string& newFile)
{
    std::optional<fs::path> from = HostPathOf(existingFile);
    std::optional<fs::path> to = HostPathOf(newFile);
    if (!from || !to) return FALSE;
    return ::renameat2(AT_FDCWD, from->c_str(), AT_FDCWD, to->c_str(), RENAME_NOREPLACE) == 0 ? TRUE : FALSE;
}

bool PathExists(const std::string& path)
{
    std::optional<fs::path> hostPath = HostPathOf(path);
    std::error_code ec;
    return hostPath && fs::exists(*hostPath, ec);
}

std::optional<std::string> ReadableFileProblem(const std::string& path, EmptyFile empty)
{
    std::optional<fs::path> hostPath = HostPathOf(path);
    if (!hostPath) return UnmappedPathText(path);
    struct stat info {};
    if (::stat(hostPath->c_str(), &info) != 0) return std::strerror(errno);
    if (!S_ISREG(info.st_mode)) return "not a regular file";
    Descriptor file(::open(hostPath->c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) return std::strerror(errno);
    if (empty == EmptyFile::Refused && ::fstat(file.get(), &info) == 0 && info.st_size == 0)
        return "the file is empty";
    return std::nullopt;
}

std::optional<std::string> PrivateDirectoryProblem(const std::string& path)
{
    std::optional<fs::path> hostPath = HostPathOf(path);
    if (!hostPath) return UnmappedPathText(path);
    struct stat info {};
    if (::lstat(hostPath->c_str(), &info) != 0)
        return errno == ENOENT ? std::nullopt : std::optional<std::string>(path + ": " + std::strerror(errno));
    if (S_ISLNK(info.st_mode)) return path + " is a symbolic link";
    if (!S_ISDIR(info.st_mode)) return path + " is not a directory";
    if (info.st_uid != ::geteuid()) return path + " is owned by another user";
    if (info.st_mode & (S_IWGRP | S_IWOTH)) return path + " is writable by group or others";
    return std::nullopt;
}
