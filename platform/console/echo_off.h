// SPDX-License-Identifier: MIT
// Typing a secret on the terminal at standard input.
#pragma once

// While it lives, what is typed on the terminal at standard input is not
// shown, except the line's end; the terminal is put back when it goes, also
// when Ctrl-C or a signal ends the program meanwhile. Does nothing when
// standard input is no terminal.
class EchoOff {
public:
    EchoOff();
    ~EchoOff();
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    bool m_active = false;  // echo was turned off (the settings before are kept for signals to restore)
};
