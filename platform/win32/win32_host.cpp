// SPDX-License-Identifier: MIT
#include "platform/win32/win32_host.h"

#include <commctrl.h>

#include <stdexcept>
#include <string>

#include "platform/ui/win_app.h"
#include "platform/win32/dialog_window.h"
#include "platform/win32/message_box.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wait_cursor.h"

Win32Host::Win32Host(HINSTANCE resources, int iconId) : m_resources(resources)
{
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
    if (!InitCommonControlsEx(&controls)) throw std::runtime_error("cannot register the progress bar's window class");
    m_icon = static_cast<HICON>(
        LoadImageW(resources, MAKEINTRESOURCEW(iconId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    if (!m_icon) ThrowLastError("the program has no icon " + std::to_string(iconId));
}

Win32Host::~Win32Host()
{
    m_windows.clear();
    EndWaitCursor();
}

DialogWindow* Win32Host::Find(const CDialog& dialog) const
{
    auto it = m_windows.find(&dialog);
    return it == m_windows.end() ? nullptr : it->second.get();
}

DialogWindow& Win32Host::WindowOf(const CDialog& dialog) const
{
    DialogWindow* window = Find(dialog);
    if (!window) throw std::logic_error("dialog " + std::to_string(dialog.Template().id) + " has no window");
    return *window;
}

HWND Win32Host::Window(const CDialog& dialog) const
{
    DialogWindow* window = Find(dialog);
    return window ? window->Handle() : nullptr;
}

HWND Win32Host::ControlWindow(const CDialog& dialog, int id) const
{
    DialogWindow* window = Find(dialog);
    return window ? window->ControlHandle(id) : nullptr;
}

HWND Win32Host::ProgressWindow(const CDialog& dialog) const
{
    DialogWindow* window = Find(dialog);
    return window ? window->ProgressHandle() : nullptr;
}

// A dialog other than the main window belongs to the main window's window.
void Win32Host::CreateWindow(CDialog& dialog)
{
    CDialog* main = AfxGetMainWnd();
    HWND owner = main && main != &dialog ? Window(*main) : nullptr;
    m_windows[&dialog] = std::make_unique<DialogWindow>(dialog, owner, m_resources, m_icon);
}

void Win32Host::DestroyWindow(CDialog& dialog) { m_windows.erase(&dialog); }

void Win32Host::ShowWindow(CDialog& dialog, bool show)
{
    WindowOf(dialog).Show(show);
    KeepPainted();
}

void Win32Host::ControlChanged(CDialog& dialog, const Control& control)
{
    WindowOf(dialog).ShowControl(control);
    KeepPainted();
}

void Win32Host::FocusChanged(CDialog& dialog, int id) { WindowOf(dialog).FocusControl(id); }

int Win32Host::MessageBox(CDialog* owner, const std::string& text, const std::string& caption, MessageIcon icon)
{
    WaitCursorPause normalCursor;
    return ShowMessageBox(owner ? Window(*owner) : nullptr, text, caption, icon, m_detail.Take());
}

// The window's owner takes no input until the dialog ends, as with the
// system's own modal dialogs. A quit message ends the dialog and then the
// message loop around it.
int Win32Host::RunModal(CDialog& dialog)
{
    HWND owner = GetWindow(WindowOf(dialog).Handle(), GW_OWNER);
    const bool disableOwner = owner && IsWindowEnabled(owner);
    if (disableOwner) EnableWindow(owner, FALSE);
    std::optional<int>& result = m_modalResults[&dialog];
    MSG message{};
    bool quit = false;
    while (!result && !quit) {
        quit = !NextMessage(message);
        if (!quit) Deliver(message);
    }
    // The owner is enabled before this window goes, so that it becomes
    // active again.
    if (disableOwner) EnableWindow(owner, TRUE);
    const int ended = result.value_or(IDCANCEL);
    m_modalResults.erase(&dialog);
    if (quit) PostQuitMessage(static_cast<int>(message.wParam));
    return ended;
}

void Win32Host::EndModal(CDialog& dialog, int result) { m_modalResults[&dialog] = result; }

int Win32Host::RunMessageLoop()
{
    MSG message{};
    while (NextMessage(message)) Deliver(message);
    return static_cast<int>(message.wParam);
}

bool Win32Host::NextMessage(MSG& message)
{
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) ThrowLastError("cannot read the message queue");
    return got != 0;
}

// Keys for a dialog (Tab, Enter, Escape) go to its dialog manager.
void Win32Host::Deliver(MSG& message)
{
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    for (const auto& entry : m_windows)
        if (entry.second->Handle() == root && IsDialogMessageW(root, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

// The quit message comes once the queue is empty: after the command that
// posted it has returned, and at once in a message loop that starts later.
void Win32Host::PostQuit(int exitCode) { PostQuitMessage(exitCode); }

void Win32Host::SetWaitCursor() { BeginWaitCursor(); }

void Win32Host::ShowProgress(CDialog& dialog, const ProgressReport& progress)
{
    WindowOf(dialog).ShowProgress(progress);
    KeepPainted();
}

void Win32Host::EndProgress(CDialog& dialog)
{
    WindowOf(dialog).EndProgress();
    KeepPainted();
}

// Paints what has changed; input and other posted messages wait until the
// command returns to the message loop. A quit message taken here is posted
// again for that loop.
void Win32Host::KeepPainted()
{
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        DispatchMessageW(&message);
    }
}
