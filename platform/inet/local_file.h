// SPDX-License-Identifier: MIT
// The local side of an FTP transfer, checked before anything is sent: an
// upload reads only a regular file it could open, a download writes only a
// regular file (or a new one) in a directory, never through a symbolic link.
// A problem is said as "<path>: <what is wrong>", for a log.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileStream = std::unique_ptr<std::FILE, FileCloser>;

// `path` opened for reading when it is a regular file that can be read;
// null otherwise (missing, a directory, a device, a pipe, no permission),
// with `problem` saying why. A pipe or device is never waited on.
FileStream OpenUploadSource(const std::filesystem::path& path, std::string& problem);

// Why a download may not be put in place at `path`; empty when it may: its
// directory is a directory, and `path` is either absent or a regular file
// (not a symbolic link, a directory or anything else).
std::string DownloadTargetProblem(const std::filesystem::path& path);

// "<path>: <the system's text for error number `error`>".
std::string LocalFileProblem(const std::filesystem::path& path, int error);
// "<path>: <what>".
std::string LocalFileProblem(const std::filesystem::path& path, const std::string& what);
