// SPDX-License-Identifier: MIT
// Watches for the program's message boxes (dialogs captioned with the
// application's name) as the system shows them, records what each shows,
// and answers it with OK as a user would.
#pragma once

#include <string>
#include <vector>

#include "platform/base/win_types.h"

enum class BoxIcon { None, Exclamation, Stop, Other };

struct SeenBox {
    std::string text;
    std::string caption;
    BoxIcon icon;
    HWND owner;
    bool waitCursor;  // whether the wait cursor was up while the box was
};

class MessageBoxWatch {
public:
    // Watches the message boxes of this thread captioned `caption`.
    explicit MessageBoxWatch(std::string caption);
    ~MessageBoxWatch();
    MessageBoxWatch(const MessageBoxWatch&) = delete;
    MessageBoxWatch& operator=(const MessageBoxWatch&) = delete;

    const std::vector<SeenBox>& Boxes() const { return m_boxes; }

private:
    static LRESULT CALLBACK OnCbtEvent(int code, WPARAM wParam, LPARAM lParam);
    void Answer(HWND box);

    std::string m_caption;
    std::vector<SeenBox> m_boxes;
    std::vector<HWND> m_answered;
    HHOOK m_hook;
};
