// SPDX-License-Identifier: MIT
#include "platform/win32/window_size.h"

void SetClientSize(HWND window, SIZE client)
{
    RECT outer{};
    RECT inner{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &inner);
    const int width = (outer.right - outer.left) + client.cx - inner.right;
    const int height = (outer.bottom - outer.top) + client.cy - inner.bottom;
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
