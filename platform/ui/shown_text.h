// SPDX-License-Identifier: MIT
// Every message box's text passes through the program's filter before a host
// shows it, the framework's own reports of exceptions included: the program
// uses it to keep its secrets out of what is shown.
#pragma once

#include <string>

using ShownTextFilter = std::string (*)(std::string text);

// Sets the filter; null shows texts as they are.
void AfxSetShownTextFilter(ShownTextFilter filter);

// `text` as a message box shows it.
std::string AfxShownText(std::string text);
