// SPDX-License-Identifier: MIT
// Basic types and constants of the window layer, named as the program's
// code uses them. On Windows they are the system's own, from <windows.h>;
// elsewhere this header defines them.
#pragma once

#ifdef _WIN32
#include "platform/base/windows_headers.h"
#else
#include <cstdint>

using BOOL = int;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// Command ids of the standard buttons.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Message box types: buttons and icons.
inline constexpr UINT MB_OK = 0x0000;
inline constexpr UINT MB_ICONSTOP = 0x0010;
inline constexpr UINT MB_ICONEXCLAMATION = 0x0030;
inline constexpr UINT MB_ICONMASK = 0x00F0;
inline constexpr UINT MB_SYSTEMMODAL = 0x1000;

// ShowWindow commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;

// Messages the program posts or sends.
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_USER = 0x0400;
inline constexpr UINT BM_SETSTYLE = 0x00F4;
inline constexpr UINT BS_DEFPUSHBUTTON = 0x0001;
#endif

// Low bits of a system command id that the window manager uses itself.
inline constexpr UINT SC_ID_MASK = 0xFFF0;
