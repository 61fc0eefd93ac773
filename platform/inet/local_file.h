// The local side of an FTP transfer, checked before anything is sent: an
// upload reads only a regular file it could open, a download writes only a
// regular file (or a new one) in a directory, never through a symbolic link.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileStream = std::unique_ptr<std::FILE, FileCloser>;

// `path` opened for reading when it is a regular file that can be read;
// null otherwise (missing, a directory, a device, a pipe, no permission).
// A pipe or device is never waited on.
FileStream OpenUploadSource(const std::filesystem::path& path);

// Whether a download may be put in place at `path`: its directory is a
// directory, and `path` is either absent or a regular file (not a symbolic
// link, a directory or anything else).
bool IsDownloadTarget(const std::filesystem::path& path);
