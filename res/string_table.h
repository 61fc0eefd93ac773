// SPDX-License-Identifier: MIT
// The program's string table.
#pragma once

#include <string>

// The entry's whole text; empty when there is no such entry.
std::string LoadTableString(unsigned id);
