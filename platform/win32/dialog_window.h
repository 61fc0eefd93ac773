// SPDX-License-Identifier: MIT
// The Win32 window of one dialog, made from its template by the system's
// dialog manager: its controls kept in step with the dialog's model, and what
// the user does to it (clicks, typing, Enter, Escape, the close box, the
// system menu) handed to the dialog.
#pragma once

#include <map>
#include <memory>
#include <optional>

#include "platform/ui/dialog.h"
#include "platform/win32/transfer_bar.h"

class DialogWindow {
public:
    // Creates the window hidden. `owner`: the window that this one belongs
    // to (it opens centred over it); null for a window of its own.
    // `resources`: the module holding the template's images.
    DialogWindow(CDialog& dialog, HWND owner, HINSTANCE resources, HICON icon);
    ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    HWND Handle() const { return m_hwnd; }
    // The window of the first control with this id; null when there is none.
    HWND ControlHandle(int id) const;

    void ShowControl(const Control& control);
    void FocusControl(int id);
    // Shows or hides the window; it is placed when it is first shown.
    void Show(bool show);

    void ShowProgress(const ProgressReport& progress);
    void EndProgress();
    HWND ProgressHandle() const { return m_transferBar ? m_transferBar->Handle() : nullptr; }

private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void MapControls();
    void Destroy();
    void AppendProgramMenuEntries();
    bool IsProgramMenuCommand(UINT id) const;
    void PlaceOverOwner();
    void Command(int id);
    void SysCommand(WPARAM id, LPARAM lParam);

    CDialog& m_dialog;
    HWND m_hwnd = nullptr;
    std::map<const ControlTemplate*, HWND> m_controls;
    SIZE m_templateClient{};
    std::unique_ptr<TransferBar> m_transferBar;
    std::optional<int> m_pendingFocus;
    std::size_t m_menuEntriesShown = 0;
    bool m_settingText = false;
    bool m_shownBefore = false;
};
