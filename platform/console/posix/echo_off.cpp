// SPDX-License-Identifier: MIT
#include "platform/console/echo_off.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kCaught[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};

termios g_savedTerminal;

// A signal while echo is off puts the terminal back before it ends the
// program as it would have.
void RestoreTerminalAndDie(int signal)
{
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_savedTerminal);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

}  // namespace

EchoOff::EchoOff()
{
    if (::tcgetattr(STDIN_FILENO, &g_savedTerminal) != 0) return;
    m_active = true;
    for (int signal : kCaught) ::signal(signal, RestoreTerminalAndDie);
    termios quiet = g_savedTerminal;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
}

EchoOff::~EchoOff()
{
    if (!m_active) return;
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_savedTerminal);
    for (int signal : kCaught) ::signal(signal, SIG_DFL);
}
