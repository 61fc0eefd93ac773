// SPDX-License-Identifier: MIT
// A Windows command line: one text that the started program splits into its
// arguments again, by the rules of the C runtime (CommandLineToArgvW). For
// the processes the program and its tests start.
#pragma once

#include <string>
#include <vector>

// `arguments` quoted so that each comes back as it is.
std::wstring CommandLine(const std::vector<std::string>& arguments);
