// SPDX-License-Identifier: MIT
#include "platform/win32/transfer_bar.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstdint>

#include "platform/win32/system_error.h"
#include "platform/win32/window_size.h"

namespace {

// The bar's height and its margins, in dialog units.
constexpr int kBarHeight = 10;
constexpr int kMargin = 2;

RECT DialogUnits(HWND dialog, int x, int y, int cx, int cy)
{
    RECT rect{x, y, x + cx, y + cy};
    if (!MapDialogRect(dialog, &rect)) ThrowLastError("cannot convert dialog units");
    return rect;
}

// The bar counts in KiB so that large images stay within its int range.
int KiB(std::uint64_t bytes) { return static_cast<int>(std::min<std::uint64_t>(bytes / 1024, INT_MAX)); }

}  // namespace

TransferBar::TransferBar(HWND dialog, SIZE templateClient) : m_dialog(dialog), m_templateClient(templateClient)
{
    const RECT units = DialogUnits(dialog, kMargin, kMargin, kBarHeight, kBarHeight);
    const int margin = units.left;
    const int height = units.bottom - units.top;
    m_bar = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, margin, templateClient.cy,
                            templateClient.cx - 2 * margin, height, dialog, nullptr, nullptr, nullptr);
    if (!m_bar) ThrowLastError("cannot create the progress bar");
    SetClientSize(dialog, SIZE{templateClient.cx, templateClient.cy + height + margin});
}

TransferBar::~TransferBar()
{
    DestroyWindow(m_bar);
    SetClientSize(m_dialog, m_templateClient);
}

void TransferBar::Show(const ProgressReport& progress)
{
    const std::uint64_t total = progress.total ? progress.total : progress.done;
    SendMessageW(m_bar, PBM_SETRANGE32, 0, std::max(KiB(total), 1));
    SendMessageW(m_bar, PBM_SETPOS, static_cast<WPARAM>(KiB(progress.done)), 0);
}
