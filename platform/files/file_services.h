// SPDX-License-Identifier: MIT
// File services on paths of the program's form.
#pragma once

#include <optional>
#include <string>

#include "platform/base/win_types.h"

// Makes the directory `newDirectory` (its parent must exist), readable and
// writable by its owner only: the program's directories hold device data.
// The template directory and the security attributes have no meaning here.
// Nonzero on success.
BOOL CreateDirectoryEx(const std::string& templateDirectory, const std::string& newDirectory,
                       const void* securityAttributes);

// Copies a regular file, streamed, into a new file beside the target that is
// then renamed over it: a symbolic link planted at the target is replaced,
// never followed. With failIfExists TRUE an existing target stays and the
// copy fails. The copy is readable by its owner only. Nonzero on success.
BOOL CopyFile(const std::string& existingFile, const std::string& newFile, BOOL failIfExists);

// Renames a file or directory; an existing target is never replaced.
// Nonzero on success.
BOOL MoveFile(const std::string& existingFile, const std::string& newFile);

// Whether a file or directory exists at exactly that path.
bool PathExists(const std::string& path);

enum class EmptyFile { Allowed, Refused };

// Why the file at `path` cannot be read as a regular file: the system's text
// ("No such file or directory", "Permission denied"), "not a regular file",
// "the file is empty" when an empty file is refused, or why the path is not
// mapped. None when it can be read.
std::optional<std::string> ReadableFileProblem(const std::string& path, EmptyFile empty);

// Why the directory at `path` is not the user's own: a symbolic link, not a
// directory, owned by another user, or writable by group or others. None when
// it is ours or does not exist.
std::optional<std::string> PrivateDirectoryProblem(const std::string& path);
