// SPDX-License-Identifier: MIT
// <windows.h> as the platform layer uses it. The system's headers name their
// character-set variants through macros (MessageBox for MessageBoxA or
// MessageBoxW); the layer has functions of its own with some of those names,
// so those macros are removed here, and Windows-side code calls the
// functions by their full names (MessageBoxW).
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef CopyFile
#undef CreateDirectoryEx
#undef CreateWindow
#undef GetCurrentDirectory
#undef GetDlgItemText
#undef GetEnvironmentVariable
#undef LoadString
#undef MessageBox
#undef MoveFile
#undef PostMessage
#undef SendMessage
#undef SetCurrentDirectory
#undef SetDlgItemText
#undef SetEnvironmentVariable
