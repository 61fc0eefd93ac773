// SPDX-License-Identifier: MIT
#include "platform/files/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/files/paths.h"

namespace {

std::string SystemText(int error)
{
    return error == ELOOP ? "a symbolic link" : std::generic_category().message(error);
}

}  // namespace

FileLock::FileLock(const std::string& path)
{
    const std::optional<std::filesystem::path> hostPath = HostPathOf(path);
    if (!hostPath) {
        m_problem = path + ": no such drive";
        return;
    }
    // O_NONBLOCK: a FIFO planted under the name must not hold the program.
    const int fd = ::open(hostPath->c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        m_problem = hostPath->string() + ": " + SystemText(errno);
        return;
    }
    m_file = fd;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        m_problem = hostPath->string() + ": not a regular file of this user";
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        m_held = true;
        return;
    }
    const int error = errno;
    if (error == EWOULDBLOCK) {
        m_busy = true;
        return;
    }
    m_problem = hostPath->string() + ": cannot be locked: " + SystemText(error);
}

FileLock::~FileLock()
{
    // Closing the file releases the lock.
    if (m_file >= 0) ::close(static_cast<int>(m_file));
}

std::string FileLock::Text(std::size_t limit) const
{
    if (m_file < 0) return {};
    std::string text(limit, '\0');
    const ssize_t got = ::pread(static_cast<int>(m_file), text.data(), limit, 0);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

std::string FileLock::Write(const std::string& text)
{
    const int fd = static_cast<int>(m_file);
    if (!m_held) return "the lock is not held";
    if (::ftruncate(fd, 0) != 0) return SystemText(errno);
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::pwrite(fd, text.data() + written, text.size() - written, static_cast<off_t>(written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? SystemText(errno) : "nothing written";
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) return SystemText(errno);
    return {};
}

unsigned long CurrentProcessId() { return static_cast<unsigned long>(::getpid()); }
