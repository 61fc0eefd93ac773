// SPDX-License-Identifier: MIT
// The program's message boxes: OK only, captioned, with no icon, the
// exclamation icon or the stop icon.
#pragma once

#include <string>

#include "platform/ui/host.h"

// Shows a box owned by `owner` until it is closed; with no owner the box is
// modal to all of the program's windows. `details`, when there are any, are
// a paragraph of their own below a separator line. Returns IDOK.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, MessageIcon icon,
                   const std::string& details = {});

// The box's text: `text`, and below a separator line the details.
std::string MessageBoxText(const std::string& text, const std::string& details);
