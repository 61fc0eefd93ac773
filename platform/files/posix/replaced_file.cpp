// SPDX-License-Identifier: MIT
#include "platform/files/replaced_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files/posix/descriptor.h"

namespace {

// Writes all of `text`; the system's reason when it cannot, else empty.
std::string WriteAll(int fd, const std::string& text)
{
    const char* data = text.data();
    std::size_t size = text.size();
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return std::strerror(errno);
        if (written == 0) return std::strerror(ENOSPC);
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return {};
}

// Fills and flushes the new file; the reason when that fails, else empty.
std::string Fill(int fd, const std::string& text)
{
    if (::fchmod(fd, 0644) != 0) return std::strerror(errno);
    if (std::string problem = WriteAll(fd, text); !problem.empty()) return problem;
    if (::fsync(fd) != 0) return std::strerror(errno);
    return {};
}

}  // namespace

std::string ReplaceFileText(const std::string& path, const std::string& text)
{
    std::string temporary = path + ".tmp-XXXXXX";
    std::string problem;
    {
        const Descriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
        if (file.get() < 0) return std::strerror(errno);
        problem = Fill(file.get(), text);
    }
    if (problem.empty() && ::rename(temporary.c_str(), path.c_str()) != 0) problem = std::strerror(errno);
    if (!problem.empty()) ::unlink(temporary.c_str());
    return problem;
}
