// SPDX-License-Identifier: MIT
// A text field of the program's JSON records (the journal, the history's
// lines): the text, or null while it is not known.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

// An empty text is one not known: null.
inline nlohmann::ordered_json TextOrNull(const std::string& text)
{
    return text.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(text);
}
