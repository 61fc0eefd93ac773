// SPDX-License-Identifier: MIT
#include "platform/console/terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

int Descriptor(StandardStream stream)
{
    switch (stream) {
    case StandardStream::Input: return STDIN_FILENO;
    case StandardStream::Output: return STDOUT_FILENO;
    case StandardStream::Error: return STDERR_FILENO;
    }
    return STDERR_FILENO;
}

}  // namespace

bool IsTerminal(StandardStream stream) { return ::isatty(Descriptor(stream)) == 1; }

std::optional<TerminalSize> SizeOfTerminal(StandardStream stream)
{
    winsize size{};
    if (::ioctl(Descriptor(stream), TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0)
        return std::nullopt;
    return TerminalSize{size.ws_col, size.ws_row};
}
