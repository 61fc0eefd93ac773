// SPDX-License-Identifier: MIT
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "platform/inet/local_file.h"

FileStream OpenUploadSource(const std::filesystem::path& path, std::string& problem)
{
    FileStream stream(_wfopen(path.c_str(), L"rb"));
    if (!stream) {
        const int error = errno;
        // Windows refuses to open a directory as a file, as access denied.
        std::error_code ignored;
        problem = LocalFileProblem(path, std::filesystem::is_directory(path, ignored) ? EISDIR : error);
        return nullptr;
    }
    struct _stat64 status {};
    if (_fstat64(_fileno(stream.get()), &status) != 0) {
        problem = LocalFileProblem(path, errno);
        return nullptr;
    }
    if ((status.st_mode & _S_IFMT) != _S_IFREG) {
        problem = LocalFileProblem(path, "not a regular file");
        return nullptr;
    }
    return stream;
}
