// SPDX-License-Identifier: MIT
#include "cli/password.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

constexpr char kPrompt[] = "Password of the LAN modem: ";

termios g_savedTerminal;

// A signal while echo is off puts the terminal back before it ends the
// program as it would have.
void RestoreTerminalAndDie(int signal)
{
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_savedTerminal);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

std::string ReadLine(std::istream& in)
{
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::string PromptWithoutEcho()
{
    if (::tcgetattr(STDIN_FILENO, &g_savedTerminal) != 0) {
        std::cerr << kPrompt << std::flush;
        return ReadLine(std::cin);
    }
    const int caught[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};
    for (int signal : caught) ::signal(signal, RestoreTerminalAndDie);
    termios quiet = g_savedTerminal;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    // Asked only once echo is off, so that nothing typed after it shows.
    std::cerr << kPrompt << std::flush;
    std::string password = ReadLine(std::cin);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_savedTerminal);
    for (int signal : caught) ::signal(signal, SIG_DFL);
    return password;
}

}  // namespace

std::string ReadPassword(bool fromStdin)
{
    const bool terminal = ::isatty(STDIN_FILENO) == 1;
    if (fromStdin) return terminal ? PromptWithoutEcho() : ReadLine(std::cin);
    if (char* fromEnvironment = std::getenv("NDXU_PASSWORD")) {
        std::string password = fromEnvironment;
        // The value is wiped where it stands too: /proc/<pid>/environ shows
        // the environment the program was started with.
        std::memset(fromEnvironment, 0, password.size());
        ::unsetenv("NDXU_PASSWORD");
        return password;
    }
    return terminal ? PromptWithoutEcho() : std::string();
}
