// SPDX-License-Identifier: MIT
// The text that a static control shows.
#pragma once

#include <QString>
#include <string>

// Unless the control has SS_NOPREFIX, an ampersand marks the next character
// as the control's mnemonic and is not shown itself; "&&" shows one
// ampersand. With SS_NOPREFIX the text is shown as it is.
QString StaticDisplayText(const std::string& text, bool noPrefix);
