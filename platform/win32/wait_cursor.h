// SPDX-License-Identifier: MIT
// The wait cursor that a command shows until it returns to the message loop.
#pragma once

void BeginWaitCursor();  // does nothing when the wait cursor is up already
void EndWaitCursor();    // does nothing when it is not up
// Whether the program's windows show the wait cursor now.
bool WaitCursorShown();

// The normal cursor for as long as it lives, the wait cursor again after:
// a message box that a command shows takes clicks.
class WaitCursorPause {
public:
    WaitCursorPause();
    ~WaitCursorPause();
    WaitCursorPause(const WaitCursorPause&) = delete;
    WaitCursorPause& operator=(const WaitCursorPause&) = delete;

private:
    bool m_paused;
};
