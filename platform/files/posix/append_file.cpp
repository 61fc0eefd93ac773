// SPDX-License-Identifier: MIT
#include "platform/files/append_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/files/paths.h"

namespace {

// A regular file of the effective user with one name; made 0600 when others
// could read it.
bool IsOwnPrivateFile(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0) return false;
    if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid() || info.st_nlink != 1) return false;
    return (info.st_mode & 077) == 0 || ::fchmod(fd, 0600) == 0;
}

}  // namespace

AppendFile OpenPrivateAppendFile(const std::string& path)
{
    std::optional<std::filesystem::path> hostPath = HostPathOf(path);
    if (!hostPath) return {nullptr, path + ": no such drive"};
    // O_NONBLOCK: a FIFO planted under the name must not hold the program.
    int fd = ::open(hostPath->c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int error = errno;
        return {nullptr, hostPath->string() + ": " +
                             (error == ELOOP ? "a symbolic link" : std::generic_category().message(error))};
    }
    if (!IsOwnPrivateFile(fd)) {
        ::close(fd);
        return {nullptr, hostPath->string() + ": not a regular file of this user with a single name"};
    }
    std::FILE* stream = ::fdopen(fd, "a");
    if (!stream) {
        ::close(fd);
        return {nullptr, hostPath->string() + ": cannot be written"};
    }
    return {stream, {}};
}

std::string SyncToDisk(std::FILE* stream)
{
    if (std::fflush(stream) != 0 || ::fsync(::fileno(stream)) != 0) return std::generic_category().message(errno);
    return {};
}
