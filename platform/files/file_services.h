// File services on paths of the program's form.
#pragma once

#include <string>

#include "platform/ui/win_types.h"

// Makes the directory `newDirectory` (its parent must exist). The template
// directory's attributes have no meaning here: the directory gets the default
// permissions. Nonzero on success.
BOOL CreateDirectoryEx(const std::string& templateDirectory, const std::string& newDirectory,
                       const void* securityAttributes);

// Copies a file, streamed; with failIfExists FALSE an existing target is
// overwritten. Nonzero on success.
BOOL CopyFile(const std::string& existingFile, const std::string& newFile, BOOL failIfExists);

// Whether a file or directory exists at exactly that path.
bool PathExists(const std::string& path);
