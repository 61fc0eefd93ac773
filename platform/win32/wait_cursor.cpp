// SPDX-License-Identifier: MIT
#include "platform/win32/wait_cursor.h"

#include "platform/base/win_types.h"

namespace {
bool g_waitCursorUp = false;
HCURSOR g_restore = nullptr;  // the cursor from before
}  // namespace

// The cursor is set at once, and the windows keep it while the command runs
// (WaitCursorShown, asked when the cursor moves over them).
void BeginWaitCursor()
{
    if (g_waitCursorUp) return;
    g_restore = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    g_waitCursorUp = true;
}

void EndWaitCursor()
{
    if (!g_waitCursorUp) return;
    g_waitCursorUp = false;
    SetCursor(g_restore ? g_restore : LoadCursorA(nullptr, IDC_ARROW));
}

bool WaitCursorShown() { return g_waitCursorUp; }

WaitCursorPause::WaitCursorPause() : m_paused(g_waitCursorUp) { EndWaitCursor(); }

WaitCursorPause::~WaitCursorPause()
{
    if (m_paused) BeginWaitCursor();
}
