// SPDX-License-Identifier: MIT
#include "tests/cli/terminal_session.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

TerminalSession::TerminalSession(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                                 const std::string& directory, unsigned short columns, unsigned short rows)
{
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    winsize size{};
    size.ws_col = columns;
    size.ws_row = rows;
    m_pid = ::forkpty(&m_terminal, nullptr, nullptr, &size);
    if (m_pid < 0) throw std::runtime_error("cannot open a pseudo-terminal");
    if (m_pid == 0) {
        if (::chdir(directory.c_str()) != 0) ::_exit(126);
        for (const auto& [name, value] : env) {
            if (value.empty())
                ::unsetenv(name.c_str());
            else
                ::setenv(name.c_str(), value.c_str(), 1);
        }
        ::execv(args[0], args.data());
        ::_exit(127);
    }
}

TerminalSession::~TerminalSession()
{
    if (m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    if (m_terminal >= 0) ::close(m_terminal);
}

bool TerminalSession::ReadSome(int milliseconds)
{
    pollfd ready{m_terminal, POLLIN, 0};
    if (::poll(&ready, 1, milliseconds) <= 0) return true;
    char buffer[4096];
    const ssize_t got = ::read(m_terminal, buffer, sizeof buffer);
    // EIO: the program has closed its side of the terminal.
    if (got <= 0) return false;
    m_screen.append(buffer, static_cast<std::size_t>(got));
    return true;
}

bool TerminalSession::WaitFor(const std::string& text, std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (m_screen.find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= deadline || !ReadSome(50)) return false;
    }
    return true;
}

void TerminalSession::Type(const std::string& keys)
{
    if (::write(m_terminal, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size()))
        throw std::runtime_error("cannot type on the pseudo-terminal");
}

void TerminalSession::Signal(int signal)
{
    if (m_pid > 0) ::kill(m_pid, signal);
}

void TerminalSession::HangUp()
{
    if (m_terminal >= 0) ::close(m_terminal);
    m_terminal = -1;
}

int TerminalSession::Wait(std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (m_terminal >= 0 && std::chrono::steady_clock::now() < deadline && ReadSome(50)) {
    }
    int status = 0;
    while (::waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) return -1;
        ::usleep(20000);
    }
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
