// SPDX-License-Identifier: MIT
// A progress bar under a dialog's controls while a transfer runs: the
// window grows by its height, and shrinks back when the bar goes.
#pragma once

#include "platform/base/win_types.h"
#include "platform/ui/progress_report.h"

class TransferBar {
public:
    // `templateClient`: the dialog's client size from its template, in pixels.
    TransferBar(HWND dialog, SIZE templateClient);
    ~TransferBar();
    TransferBar(const TransferBar&) = delete;
    TransferBar& operator=(const TransferBar&) = delete;

    void Show(const ProgressReport& progress);
    HWND Handle() const { return m_bar; }

private:
    HWND m_dialog;
    SIZE m_templateClient;
    HWND m_bar;
};
