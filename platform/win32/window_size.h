// SPDX-License-Identifier: MIT
// Sizing windows by their client area, whatever their frame or border.
#pragma once

#include "platform/base/win_types.h"

// Resizes the window so that its client area has this size; it keeps its
// place.
void SetClientSize(HWND window, SIZE client);
