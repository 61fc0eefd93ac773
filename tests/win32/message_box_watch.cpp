// SPDX-License-Identifier: MIT
#include "tests/win32/message_box_watch.h"

#include <algorithm>
#include <stdexcept>

#include "platform/files/windows/wide_text.h"
#include "platform/win32/wait_cursor.h"

namespace {

MessageBoxWatch* g_watch = nullptr;

std::wstring TextOf(HWND window)
{
    wchar_t text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

BoxIcon IconKind(HICON icon)
{
    if (!icon) return BoxIcon::None;
    if (icon == LoadIconA(nullptr, IDI_EXCLAMATION)) return BoxIcon::Exclamation;
    if (icon == LoadIconA(nullptr, IDI_HAND)) return BoxIcon::Stop;
    return BoxIcon::Other;
}

// What the box's static controls show: its icon and its text.
struct BoxContents {
    HICON icon = nullptr;
    std::wstring text;
};

BOOL CALLBACK ReadControl(HWND control, LPARAM contents)
{
    auto& box = *reinterpret_cast<BoxContents*>(contents);
    if (_wcsicmp(ClassOf(control).c_str(), L"Static") != 0) return TRUE;
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON) {
        if (style & WS_VISIBLE) box.icon = reinterpret_cast<HICON>(SendMessageW(control, STM_GETICON, 0, 0));
    } else if (!TextOf(control).empty()) {
        box.text = TextOf(control);
    }
    return TRUE;
}

}  // namespace

MessageBoxWatch::MessageBoxWatch(std::string caption) : m_caption(std::move(caption))
{
    if (g_watch) throw std::logic_error("one message box watch at a time");
    m_hook = SetWindowsHookExW(WH_CBT, &MessageBoxWatch::OnCbtEvent, nullptr, GetCurrentThreadId());
    if (!m_hook) throw std::runtime_error("cannot watch for message boxes");
    g_watch = this;
}

MessageBoxWatch::~MessageBoxWatch()
{
    UnhookWindowsHookEx(m_hook);
    g_watch = nullptr;
}

// A dialog that becomes active has its controls filled in already.
LRESULT CALLBACK MessageBoxWatch::OnCbtEvent(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && g_watch) g_watch->Answer(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MessageBoxWatch::Answer(HWND box)
{
    if (ClassOf(box) != L"#32770" || Utf8(TextOf(box)) != m_caption) return;
    // A box is activated again when the focus comes back to it.
    if (std::find(m_answered.begin(), m_answered.end(), box) != m_answered.end()) return;
    m_answered.push_back(box);
    BoxContents contents;
    EnumChildWindows(box, &ReadControl, reinterpret_cast<LPARAM>(&contents));
    m_boxes.push_back({Utf8(contents.text), m_caption, IconKind(contents.icon), GetWindow(box, GW_OWNER),
                       WaitCursorShown()});
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}
