// SPDX-License-Identifier: MIT
// What the console prints of device text: control characters and broken
// UTF-8 escaped, everything else as it stands.
#include <gtest/gtest.h>

#include "platform/console/terminal_text.h"

namespace {

struct EscapeCase {
    const char* name;
    std::string text;
    std::string shown;
};

const EscapeCase kCases[] = {
    {"plain text stays", "Password Recognized", "Password Recognized"},
    {"line feeds and tabs stay", "a\nb\tc", "a\nb\tc"},
    {"paths keep their backslashes", "C:\\varn\\ndxu511", "C:\\varn\\ndxu511"},
    {"a terminal escape sequence is defused", "\x1b]0;owned\x07\x1b[2J", "\\x1B]0;owned\\x07\\x1B[2J"},
    {"carriage return and DEL", "ok\rbad\x7f", "ok\\x0Dbad\\x7F"},
    {"the registered sign and other UTF-8 stay", "Halvex\u00ae \u00e9\u20ac\U0001F600",
     "Halvex\u00ae \u00e9\u20ac\U0001F600"},
    {"C1 controls in UTF-8", "\u009b2J", "\\u009B2J"},
    {"a lone 8-bit CSI byte", std::string("\x9b") + "2J", "\\x9B2J"},
    {"a cut sequence", std::string("x\xc2"), "x\\xC2"},
    {"an overlong encoding", std::string("\xc0\xaf"), "\\xC0\\xAF"},
    {"an encoded surrogate", std::string("\xed\xa0\x80"), "\\xED\\xA0\\x80"},
};

TEST(TerminalTextTest, EscapesWhatCouldSteerTheTerminal)
{
    for (const EscapeCase& c : kCases) EXPECT_EQ(EscapeControlCharacters(c.text), c.shown) << c.name;
}

}  // namespace
