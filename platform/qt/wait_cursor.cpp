// SPDX-License-Identifier: MIT
#include "platform/qt/wait_cursor.h"

#include <QApplication>
#include <QCursor>

namespace {
bool g_waitCursorUp = false;
}

void BeginWaitCursor()
{
    if (g_waitCursorUp) return;
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    g_waitCursorUp = true;
}

void EndWaitCursor()
{
    if (!g_waitCursorUp) return;
    QApplication::restoreOverrideCursor();
    g_waitCursorUp = false;
}

WaitCursorPause::WaitCursorPause() : m_paused(g_waitCursorUp) { EndWaitCursor(); }

WaitCursorPause::~WaitCursorPause()
{
    if (m_paused) BeginWaitCursor();
}
