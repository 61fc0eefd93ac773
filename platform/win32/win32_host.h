// SPDX-License-Identifier: MIT
// The host that shows the program's dialogs as Win32 dialogs. A command runs
// to its end before the next user input is taken; while it blocks, the
// windows stay painted.
#pragma once

#include <map>
#include <memory>
#include <optional>

#include "platform/ui/host.h"
#include "platform/ui/message_detail.h"

class DialogWindow;

class Win32Host : public Host {
public:
    // `resources`: the module holding the program's images; `iconId`: the
    // icon that every window shows.
    Win32Host(HINSTANCE resources, int iconId);
    ~Win32Host() override;
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;

    // The window that shows a dialog, one of its controls, and the bar of a
    // transfer under way; null when there is none.
    HWND Window(const CDialog& dialog) const;
    HWND ControlWindow(const CDialog& dialog, int id) const;
    HWND ProgressWindow(const CDialog& dialog) const;

    void CreateWindow(CDialog& dialog) override;
    void DestroyWindow(CDialog& dialog) override;
    void ShowWindow(CDialog& dialog, bool show) override;
    void ControlChanged(CDialog& dialog, const Control& control) override;
    void FocusChanged(CDialog& dialog, int id) override;
    int MessageBox(CDialog* owner, const std::string& text, const std::string& caption,
                   MessageIcon icon) override;
    int RunModal(CDialog& dialog) override;
    void EndModal(CDialog& dialog, int result) override;
    int RunMessageLoop() override;
    void PostQuit(int exitCode) override;
    void SetWaitCursor() override;
    void KeepPainted() override;
    void ShowProgress(CDialog& dialog, const ProgressReport& progress) override;
    void EndProgress(CDialog& dialog) override;
    void SetMessageDetail(const std::string& reason) override { m_detail.SetReason(reason); }
    void SetMessageNextStep(const std::string& next) override { m_detail.SetNextStep(next); }

private:
    DialogWindow* Find(const CDialog& dialog) const;
    DialogWindow& WindowOf(const CDialog& dialog) const;
    // The next message; false when it is the quit message.
    static bool NextMessage(MSG& message);
    void Deliver(MSG& message);

    HINSTANCE m_resources;
    HICON m_icon;
    MessageDetail m_detail;  // the next message box's
    std::map<const CDialog*, std::unique_ptr<DialogWindow>> m_windows;
    std::map<const CDialog*, std::optional<int>> m_modalResults;
};
