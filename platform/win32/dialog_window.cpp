// SPDX-License-Identifier: MIT
#include "platform/win32/dialog_window.h"

#include <stdexcept>
#include <string>
#include <utility>

#include "platform/files/windows/wide_text.h"
#include "platform/win32/in_memory_template.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wait_cursor.h"
#include "platform/win32/window_size.h"

namespace {

std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool HasStyle(HWND window, LONG_PTR style) { return (GetWindowLongPtrW(window, GWL_STYLE) & style) == style; }

bool HasDefaultLook(HWND button) { return (GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; }

// A bitmap picture takes its bitmap's size inside its border (the system
// sizes the whole control to the bitmap, border included).
void FitBitmapPicture(HWND picture)
{
    if ((GetWindowLongPtrW(picture, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) return;
    auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info))
        throw std::runtime_error("the program has no bitmap for picture control " +
                                 std::to_string(GetDlgCtrlID(picture)));
    SetClientSize(picture, SIZE{info.bmWidth, info.bmHeight});
}

}  // namespace

DialogWindow::DialogWindow(CDialog& dialog, HWND owner, HINSTANCE resources, HICON icon) : m_dialog(dialog)
{
    const std::vector<WORD> memoryTemplate = BuildInMemoryTemplate(dialog.Template());
    // The procedure learns its window in WM_INITDIALOG, before this returns.
    if (!CreateDialogIndirectParamW(resources, reinterpret_cast<LPCDLGTEMPLATEW>(memoryTemplate.data()), owner,
                                    &DialogWindow::Procedure, reinterpret_cast<LPARAM>(this)))
        ThrowLastError("cannot create the window of dialog " + std::to_string(dialog.Template().id));
    SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    RECT client{};
    GetClientRect(m_hwnd, &client);
    m_templateClient = SIZE{client.right, client.bottom};
    try {
        MapControls();
    } catch (...) {
        Destroy();
        throw;
    }
}

DialogWindow::~DialogWindow()
{
    m_transferBar.reset();
    Destroy();
}

// The window no longer reaches this object once it is gone.
void DialogWindow::Destroy()
{
    SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
    ::DestroyWindow(m_hwnd);
}

// The dialog manager creates the controls in template order, which is the
// order of the window's children.
void DialogWindow::MapControls()
{
    HWND child = GetWindow(m_hwnd, GW_CHILD);
    for (const Control& control : m_dialog.Controls()) {
        if (!child) throw std::logic_error("the dialog manager made fewer controls than the template has");
        m_controls[control.tmpl] = child;
        if (control.kind() == ControlKind::Picture) FitBitmapPicture(child);
        child = GetWindow(child, GW_HWNDNEXT);
    }
}

HWND DialogWindow::ControlHandle(int id) const
{
    const Control* control = m_dialog.FindControl(id);
    return control ? m_controls.at(control->tmpl) : nullptr;
}

// Only what differs from the control's window is changed, so that nothing
// flickers and the system's own changes (the default look that follows the
// focus between buttons) stay.
void DialogWindow::ShowControl(const Control& control)
{
    HWND window = m_controls.at(control.tmpl);
    if (control.kind() != ControlKind::Picture) {
        const std::wstring text = Utf16(control.text);
        if (WindowText(window) != text) {
            m_settingText = true;
            SetWindowTextW(window, text.c_str());
            m_settingText = false;
        }
    }
    if (HasStyle(window, WS_VISIBLE) != control.visible) ShowWindow(window, control.visible ? SW_SHOW : SW_HIDE);
    if (control.kind() == ControlKind::PushButton && HasDefaultLook(window) != control.defaultLook)
        SendMessageW(window, BM_SETSTYLE, control.defaultLook ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

// The dialog manager moves the focus, which also gives a focused push
// button the default look. A hidden window takes the focus when it is shown.
void DialogWindow::FocusControl(int id)
{
    if (!IsWindowVisible(m_hwnd)) {
        m_pendingFocus = id;
        return;
    }
    if (HWND control = ControlHandle(id)) SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

void DialogWindow::Show(bool show)
{
    if (!show) {
        ShowWindow(m_hwnd, SW_HIDE);
        return;
    }
    AppendProgramMenuEntries();
    if (!m_shownBefore) PlaceOverOwner();
    m_shownBefore = true;
    ShowWindow(m_hwnd, SW_SHOW);
    SetForegroundWindow(m_hwnd);
    if (m_pendingFocus) FocusControl(*std::exchange(m_pendingFocus, std::nullopt));
}

// A window with DS_CENTER is centred on the screen by the dialog manager;
// an owned one without it opens over the middle of its owner.
void DialogWindow::PlaceOverOwner()
{
    HWND owner = GetWindow(m_hwnd, GW_OWNER);
    if (!owner || (m_dialog.Template().style & DS_CENTER)) return;
    RECT ownerRect{};
    RECT rect{};
    GetWindowRect(owner, &ownerRect);
    GetWindowRect(m_hwnd, &rect);
    const int x = (ownerRect.left + ownerRect.right - (rect.right - rect.left)) / 2;
    const int y = (ownerRect.top + ownerRect.bottom - (rect.bottom - rect.top)) / 2;
    SetWindowPos(m_hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The entries that the program appended to the window menu, at the end of
// the window's system menu.
void DialogWindow::AppendProgramMenuEntries()
{
    const std::vector<MenuEntry>& entries = m_dialog.SystemMenu();
    if (m_menuEntriesShown == entries.size()) return;
    HMENU menu = GetSystemMenu(m_hwnd, FALSE);
    if (!menu) return;  // a window without a system menu
    for (; m_menuEntriesShown < entries.size(); ++m_menuEntriesShown) {
        const MenuEntry& entry = entries[m_menuEntriesShown];
        const BOOL added = entry.id == 0 ? AppendMenuW(menu, MF_SEPARATOR, 0, nullptr)
                                         : AppendMenuW(menu, MF_STRING, entry.id, Utf16(entry.text).c_str());
        if (!added) ThrowLastError("cannot add to the system menu");
    }
}

bool DialogWindow::IsProgramMenuCommand(UINT id) const
{
    for (const MenuEntry& entry : m_dialog.SystemMenu())
        if (entry.id != 0 && entry.id == id) return true;
    return false;
}

void DialogWindow::ShowProgress(const ProgressReport& progress)
{
    if (!m_transferBar) m_transferBar = std::make_unique<TransferBar>(m_hwnd, m_templateClient);
    m_transferBar->Show(progress);
}

void DialogWindow::EndProgress() { m_transferBar.reset(); }

void DialogWindow::Command(int id)
{
    m_dialog.DispatchCommand(id);
    EndWaitCursor();
}

void DialogWindow::SysCommand(WPARAM id, LPARAM lParam)
{
    m_dialog.DispatchSysCommand(static_cast<UINT>(id), lParam);
    EndWaitCursor();
}

INT_PTR CALLBACK DialogWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<DialogWindow*>(lParam);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        return FALSE;  // the dialog sets the focus itself
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    return self && self->Handle(message, wParam, lParam) ? TRUE : FALSE;
}

// Whether the message was handled; the dialog manager handles the others
// (the close box and the system menu's Close become IDCANCEL there).
bool DialogWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        const int id = static_cast<short>(LOWORD(wParam));
        switch (HIWORD(wParam)) {
        case BN_CLICKED: Command(id); return true;
        case EN_CHANGE:
            if (!m_settingText) m_dialog.ControlEditedByUser(id, Utf8(WindowText(reinterpret_cast<HWND>(lParam))));
            return true;
        default: return false;
        }
    }
    case WM_SYSCOMMAND:
        if (!IsProgramMenuCommand(static_cast<UINT>(wParam & SC_ID_MASK))) return false;
        SysCommand(wParam, lParam);
        return true;
    case WM_SETCURSOR:
        if (!WaitCursorShown()) return false;
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, TRUE);
        return true;
    default: return false;
    }
}
