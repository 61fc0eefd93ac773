// SPDX-License-Identifier: MIT
// A program run on a pseudo-terminal of its own, as a user at a terminal
// runs it: the test reads what the terminal shows and types when it sees the
// program waiting.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

class TerminalSession {
public:
    // Starts `argv` on a new terminal, standard input, output and error all
    // on it, with `env` added to the environment (an empty value removes a
    // variable) and `directory` as its current directory. The terminal is
    // `columns` wide and `rows` high; with 0 it does not know its size.
    TerminalSession(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                    const std::string& directory, unsigned short columns = 0, unsigned short rows = 0);
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    // Reads until the screen holds `text`; false when it does not within
    // `limit` or the program has ended first.
    bool WaitFor(const std::string& text, std::chrono::seconds limit = std::chrono::seconds(20));
    // Types `keys`.
    void Type(const std::string& keys);
    // Reads until the program ends; its exit status, -1 when it did not end
    // normally within `limit`.
    int Wait(std::chrono::seconds limit = std::chrono::seconds(60));

    // Sends `signal` to the program, as another process would.
    void Signal(int signal);
    // Closes the terminal, as a terminal window or an SSH session that goes
    // away: the program's side hangs up. Nothing is read from it afterwards.
    void HangUp();
    pid_t Pid() const { return m_pid; }

    // Everything the terminal has shown so far.
    const std::string& Screen() const { return m_screen; }

private:
    // Reads what is there within `milliseconds`; false at the end.
    bool ReadSome(int milliseconds);

    int m_terminal = -1;
    pid_t m_pid = -1;
    std::string m_screen;
};
