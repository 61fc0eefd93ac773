// SPDX-License-Identifier: MIT
// Whether a standard stream is a terminal, and how large that terminal is.
#pragma once

#include <optional>

enum class StandardStream { Input, Output, Error };

bool IsTerminal(StandardStream stream);

struct TerminalSize {
    int columns;
    int rows;
};

// The size of the terminal `stream` is, if it is one that knows its size.
std::optional<TerminalSize> SizeOfTerminal(StandardStream stream);
