// SPDX-License-Identifier: MIT
#include "platform/files/small_file.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "platform/files/posix/descriptor.h"

namespace {

SmallFile Problem(std::string problem) { return {std::nullopt, std::move(problem)}; }

std::string TooLarge(std::size_t limit) { return "it is larger than " + std::to_string(limit) + " bytes"; }

// Waits for a FIFO's first bytes (or its writer's end); whether they came.
bool WriterCame(int fd, std::chrono::seconds wait)
{
    pollfd watched{fd, POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&watched, 1, static_cast<int>(std::chrono::milliseconds(wait).count()));
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

// Reads to the end, or until more than `limit` bytes came.
SmallFile ReadAll(int fd, std::size_t limit)
{
    std::string text;
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Problem(std::strerror(errno));
        if (got == 0) return {std::move(text), {}};
        text.append(buffer.data(), static_cast<std::size_t>(got));
        if (text.size() > limit) return Problem(TooLarge(limit));
    }
}

}  // namespace

SmallFile ReadSmallFile(const std::string& path, std::size_t limit, std::chrono::seconds writerWait)
{
    // Not blocking: a FIFO without a writer would hold the open forever.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) return Problem(std::strerror(errno));
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) return Problem(std::strerror(errno));
    if (S_ISDIR(info.st_mode)) return Problem("it is a directory");
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return Problem("it is a device, not a file");
    if (S_ISREG(info.st_mode) && static_cast<std::size_t>(info.st_size) > limit) return Problem(TooLarge(limit));
    if (S_ISFIFO(info.st_mode)) {
        if (!WriterCame(file.get(), writerWait))
            return Problem("it is a FIFO that no program wrote to within " + std::to_string(writerWait.count()) +
                           " seconds");
        ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
    }
    return ReadAll(file.get(), limit);
}
