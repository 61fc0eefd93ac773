// SPDX-License-Identifier: MIT
// Text from the device on its way to a terminal: control characters and
// bytes that are not UTF-8 are shown as escapes, so a device page or reply can
// neither move the cursor nor change the terminal's settings.
#pragma once

#include <string>
#include <string_view>

// `text` with every control character (C0 other than line feed and tab, DEL,
// and the C1 range) and every byte outside a valid UTF-8 sequence written as
// \xNN (a C1 character as \u00NN).
std::string EscapeControlCharacters(std::string_view text);
