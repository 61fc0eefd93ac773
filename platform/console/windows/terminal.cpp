// SPDX-License-Identifier: MIT
#include "platform/console/terminal.h"

#include "platform/base/windows_headers.h"

namespace {

HANDLE Handle(StandardStream stream)
{
    switch (stream) {
    case StandardStream::Input: return ::GetStdHandle(STD_INPUT_HANDLE);
    case StandardStream::Output: return ::GetStdHandle(STD_OUTPUT_HANDLE);
    case StandardStream::Error: return ::GetStdHandle(STD_ERROR_HANDLE);
    }
    return ::GetStdHandle(STD_ERROR_HANDLE);
}

}  // namespace

// A console, not a file or pipe (nor the NUL device, which the C runtime
// counts as a terminal).
bool IsTerminal(StandardStream stream)
{
    DWORD mode = 0;
    return ::GetConsoleMode(Handle(stream), &mode) != FALSE;
}

std::optional<TerminalSize> SizeOfTerminal(StandardStream stream)
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(Handle(stream), &info)) return std::nullopt;
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    const int rows = info.srWindow.Bottom - info.srWindow.Top + 1;
    if (columns <= 0 || rows <= 0) return std::nullopt;
    return TerminalSize{columns, rows};
}
