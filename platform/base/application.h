// SPDX-License-Identifier: MIT
// The running application as every layer may reach it: its name and its
// message box. The window layer fills both in, so that the layers below it
// (the Internet layer's error report, its user agent) use them without
// depending on it: its application object names the application while it
// exists, and setting its host installs the message box entry, which shows
// the box on that host.
#pragma once

#include <string>

#include "platform/base/win_types.h"

// The application's name; the executable's base name while no application
// names it.
std::string AfxGetAppName();
// Names the application; null: no application names it any more.
void AfxSetAppName(const char* name);

// The executable file's name without directory and extension.
std::string ExecutableBaseName();

// Shows an application message box with `text` for `type` (its buttons and
// icon); returns the button that closed it.
using AppMessageBoxEntry = int (*)(const std::string& text, UINT type);
// Installs the entry that AfxMessageBox calls.
void AfxSetMessageBoxEntry(AppMessageBoxEntry entry);

// An application message box: captioned with the application name, with the
// exclamation icon unless `type` asks for another. Throws std::logic_error
// while no entry is installed (no window host has been set).
int AfxMessageBox(const std::string& text, UINT type = MB_OK);
