// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/inet/local_file.h"

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
        problem = LocalFileProblem(path, "not a regular file");
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
