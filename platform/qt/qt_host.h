// SPDX-License-Identifier: MIT
// The host that shows the program's dialogs as Qt widgets. A command runs
// to its end before the next user input is taken; while it blocks, the
// windows stay painted.
#pragma once

#include <QIcon>
#include <QObject>
#include <map>
#include <memory>
#include <optional>

#include "platform/ui/host.h"
#include "platform/ui/message_detail.h"

class DialogWindow;
class QEventLoop;
class QWidget;

class QtHost : public Host {
public:
    // Needs a QApplication. `iconId`: the image that every window shows as
    // its icon.
    explicit QtHost(int iconId);
    ~QtHost() override;
    QtHost(const QtHost&) = delete;
    QtHost& operator=(const QtHost&) = delete;

    // The window that shows a dialog, and the widget of one of its controls;
    // null when there is none.
    QWidget* Window(const CDialog& dialog) const;
    QWidget* ControlWidget(const CDialog& dialog, int id) const;

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
    struct ModalRun {
        QEventLoop* loop = nullptr;
        std::optional<int> result;
    };

    DialogWindow* Find(const CDialog& dialog) const;
    DialogWindow& WindowOf(const CDialog& dialog) const;
    void ReleaseOwnedWindows(const DialogWindow& owner);
    void DeliverQuit();

    QIcon m_icon;
    MessageDetail m_detail;  // the next message box's
    std::map<const CDialog*, std::unique_ptr<DialogWindow>> m_windows;
    std::map<const CDialog*, ModalRun> m_modalRuns;
    std::optional<int> m_pendingQuit;
    bool m_inMessageLoop = false;
    // Receives the queued quit; calls queued to it end with the host.
    QObject m_quitReceiver;
};
