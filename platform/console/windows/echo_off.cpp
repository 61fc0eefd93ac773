// SPDX-License-Identifier: MIT
#include "platform/console/echo_off.h"

#include <cstdio>

#include "platform/base/windows_headers.h"

namespace {

HANDLE g_input = nullptr;
DWORD g_savedMode = 0;

// Ctrl-C while echo is off puts the console back; the program then ends as
// it would have.
BOOL WINAPI RestoreConsole(DWORD)
{
    ::SetConsoleMode(g_input, g_savedMode);
    return FALSE;
}

}  // namespace

EchoOff::EchoOff()
{
    g_input = ::GetStdHandle(STD_INPUT_HANDLE);
    if (!::GetConsoleMode(g_input, &g_savedMode)) return;
    m_active = true;
    ::SetConsoleCtrlHandler(RestoreConsole, TRUE);
    ::SetConsoleMode(g_input, g_savedMode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
}

EchoOff::~EchoOff()
{
    if (!m_active) return;
    ::SetConsoleMode(g_input, g_savedMode);
    ::SetConsoleCtrlHandler(RestoreConsole, FALSE);
    // The console shows no line end typed with echo off.
    std::fputs("\n", stderr);
}
