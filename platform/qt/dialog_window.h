// SPDX-License-Identifier: MIT
// The window of one dialog: its controls as widgets, and what the user does
// to it (clicks, typing, Enter, Escape, F1, the close box, the window menu)
// handed to the dialog.
#pragma once

#include <QIcon>
#include <QWidget>
#include <QSize>
#include <chrono>
#include <map>
#include <optional>

#include "platform/ui/dialog.h"

class QProgressBar;

class DialogWindow : public QWidget {
public:
    // `owner`: the window that this one belongs to (it opens centred over
    // it and stays above it); null for a window of its own, which has a
    // taskbar entry.
    DialogWindow(CDialog& dialog, QWidget* owner, const QIcon& icon);

    void ShowControl(const Control& control);
    void FocusControl(int id);
    // The widget of the first control with this id; null when there is none.
    QWidget* ControlWidget(int id) const;

    // Shows or hides the window; it is placed when it is first shown.
    void ShowDialog(bool show);
    // From now on no other window of the program takes input while this one
    // is shown.
    void MakeModal();

    // A bar under the window's controls, shown while a transfer runs: the
    // window grows by its height, and shrinks back at the end.
    void ShowProgress(const ProgressReport& progress);
    void EndProgress();

    // Whether one of this window's commands is being carried out.
    bool Dispatching() const { return m_dispatching > 0; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildControls();
    void ConnectControl(const Control& control, QWidget& widget);
    void SetTabOrder();
    void Place();
    void Command(int id);
    void SysCommand(UINT id);
    int DefaultCommandId() const;
    std::optional<UINT> FirstMenuCommand() const;

    CDialog& m_dialog;
    std::map<const ControlTemplate*, QWidget*> m_widgets;
    QSize m_templateSize;
    QProgressBar* m_progress = nullptr;
    std::chrono::steady_clock::time_point m_progressStarted;  // when the bar came up
    int m_dispatching = 0;
    bool m_placed = false;
};
