// The local staging directory: made if missing, and given a copy of the
// package's text file as readme.txt.
#pragma once

#include <string>

inline constexpr char kStagingDirectory[] = "C:\\varn\\ndxu511";

// Prepares the staging directory and returns its path. Nothing that fails
// here ends the run: a failed copy is logged and shown.
std::string StagePackage();
