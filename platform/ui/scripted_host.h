// SPDX-License-Identifier: MIT
// A host without a window: user actions come from a script, message boxes
// are answered with OK at once, and changes of a visible window's status line
// (the sunken static) and message boxes are handed to the derived host to
// show or keep.
#pragma once

#include <deque>
#include <functional>
#include <optional>

#include "platform/ui/host.h"

class ScriptedHost : public Host {
public:
    using Action = std::function<void()>;

    // Queues a user action; the message loop takes one per turn. When the
    // script is used up, the user closes the window in front.
    void Queue(Action action) { m_actions.push_back(std::move(action)); }

    void CreateWindow(CDialog&) override {}
    void DestroyWindow(CDialog&) override {}
    void ShowWindow(CDialog&, bool) override {}
    void ControlChanged(CDialog& dialog, const Control& control) override;
    void FocusChanged(CDialog&, int) override {}
    int MessageBox(CDialog* owner, const std::string& text, const std::string& caption,
                   MessageIcon icon) override;
    int RunModal(CDialog& dialog) override;
    void EndModal(CDialog& dialog, int result) override;
    int RunMessageLoop() override;
    void PostQuit(int exitCode) override { m_quitCode = exitCode; }
    void SetWaitCursor() override {}
    void KeepPainted() override {}
    void ShowProgress(CDialog&, const ProgressReport& progress) override { OnProgress(&progress); }
    void EndProgress(CDialog&) override { OnProgress(nullptr); }

protected:
    virtual void OnStatus(const std::string& text) = 0;
    virtual void OnMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
    // A transfer's progress; null when the transfer has ended.
    virtual void OnProgress(const ProgressReport* progress) = 0;

private:
    bool TakeAction();

    std::deque<Action> m_actions;
    std::optional<int> m_quitCode;
    std::optional<int> m_modalResult;
};
