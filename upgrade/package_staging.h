// SPDX-License-Identifier: MIT
// The local staging directory: made if missing, private to the user, and
// given a copy of the package's text file as readme.txt.
#pragma once

#include <optional>
#include <string>

inline constexpr char kStagingDirectory[] = "C:\\varn\\ndxu511";

// Why the staging directory, or C:\varn above it, is not the user's own (a
// symbolic link, another user's, writable by group or others, or drive C:
// not mapped); none when both are ours or not made yet. Another user must not
// be able to place an image there that the run would upload.
std::optional<std::string> StagingDirectoryProblem();

// Makes C:\varn and the staging directory where they are missing.
void MakeStagingDirectory();

// Prepares the staging directory and returns its path. Nothing that fails
// here ends the run: a failed copy is logged and shown. A staging directory
// that is not ours gets no copy.
std::string StagePackage();
