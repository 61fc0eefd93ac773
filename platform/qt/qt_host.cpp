// SPDX-License-Identifier: MIT
#include "platform/qt/qt_host.h"

#include <QApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <stdexcept>
#include <string>

#include "platform/qt/dialog_window.h"
#include "platform/qt/message_box.h"
#include "platform/qt/resource_images.h"
#include "platform/qt/wait_cursor.h"
#include "platform/ui/win_app.h"

QtHost::QtHost(int iconId) : m_icon(LoadIconResource(iconId))
{
    // The program ends by its quit message, not when its last window closes.
    QApplication::setQuitOnLastWindowClosed(false);
}

QtHost::~QtHost()
{
    for (auto& entry : m_windows) ReleaseOwnedWindows(*entry.second);
    m_windows.clear();
    EndWaitCursor();
}

// The windows that `owner` owns lose their owner, so that they are not
// destroyed with it: each is destroyed with its own dialog.
void QtHost::ReleaseOwnedWindows(const DialogWindow& owner)
{
    for (auto& entry : m_windows) {
        DialogWindow& window = *entry.second;
        if (window.parentWidget() == &owner) window.setParent(nullptr, window.windowFlags());
    }
}

DialogWindow* QtHost::Find(const CDialog& dialog) const
{
    auto it = m_windows.find(&dialog);
    return it == m_windows.end() ? nullptr : it->second.get();
}

DialogWindow& QtHost::WindowOf(const CDialog& dialog) const
{
    DialogWindow* window = Find(dialog);
    if (!window) throw std::logic_error("dialog " + std::to_string(dialog.Template().id) + " has no window");
    return *window;
}

QWidget* QtHost::Window(const CDialog& dialog) const { return Find(dialog); }

QWidget* QtHost::ControlWidget(const CDialog& dialog, int id) const
{
    DialogWindow* window = Find(dialog);
    return window ? window->ControlWidget(id) : nullptr;
}

// A dialog other than the main window belongs to the main window's window.
void QtHost::CreateWindow(CDialog& dialog)
{
    CDialog* main = AfxGetMainWnd();
    QWidget* owner = main && main != &dialog ? Find(*main) : nullptr;
    m_windows[&dialog] = std::make_unique<DialogWindow>(dialog, owner, m_icon);
}

void QtHost::DestroyWindow(CDialog& dialog)
{
    auto it = m_windows.find(&dialog);
    if (it == m_windows.end()) return;
    std::unique_ptr<DialogWindow> window = std::move(it->second);
    m_windows.erase(it);
    ReleaseOwnedWindows(*window);
    window->hide();
    // A window whose own command destroys it goes once that command is over.
    if (window->Dispatching()) window.release()->deleteLater();
}

void QtHost::ShowWindow(CDialog& dialog, bool show)
{
    WindowOf(dialog).ShowDialog(show);
    KeepPainted();
}

void QtHost::ControlChanged(CDialog& dialog, const Control& control)
{
    WindowOf(dialog).ShowControl(control);
    KeepPainted();
}

void QtHost::FocusChanged(CDialog& dialog, int id) { WindowOf(dialog).FocusControl(id); }

int QtHost::MessageBox(CDialog* owner, const std::string& text, const std::string& caption, MessageIcon icon)
{
    WaitCursorPause normalCursor;
    return ShowMessageBox(owner ? Find(*owner) : nullptr, text, caption, icon, m_detail.Take());
}

int QtHost::RunModal(CDialog& dialog)
{
    DialogWindow& window = WindowOf(dialog);
    window.MakeModal();
    ModalRun& run = m_modalRuns[&dialog];
    QEventLoop loop;
    run.loop = &loop;
    if (!run.result) loop.exec(QEventLoop::DialogExec);
    // Without a result the loop was ended by the program's quit.
    const int result = run.result.value_or(IDCANCEL);
    m_modalRuns.erase(&dialog);
    return result;
}

void QtHost::EndModal(CDialog& dialog, int result)
{
    ModalRun& run = m_modalRuns[&dialog];
    run.result = result;
    if (run.loop) run.loop->exit(result);
}

int QtHost::RunMessageLoop()
{
    m_inMessageLoop = true;
    if (m_pendingQuit) DeliverQuit();
    const int code = QApplication::exec();
    m_inMessageLoop = false;
    m_pendingQuit.reset();
    return code;
}

// The quit is queued: it ends the message loop once the command that posted
// it has returned, and one posted before the loop starts ends the loop as
// soon as it runs.
void QtHost::PostQuit(int exitCode)
{
    m_pendingQuit = exitCode;
    if (m_inMessageLoop) DeliverQuit();
}

void QtHost::DeliverQuit()
{
    QMetaObject::invokeMethod(
        &m_quitReceiver,
        [this] {
            if (m_pendingQuit) QCoreApplication::exit(*m_pendingQuit);
        },
        Qt::QueuedConnection);
}

void QtHost::SetWaitCursor() { BeginWaitCursor(); }

void QtHost::ShowProgress(CDialog& dialog, const ProgressReport& progress)
{
    WindowOf(dialog).ShowProgress(progress);
    KeepPainted();
}

void QtHost::EndProgress(CDialog& dialog)
{
    WindowOf(dialog).EndProgress();
    KeepPainted();
}

// Paints what has changed and takes window-system events other than user
// input; input waits until the command returns to the loop. Timers wait as
// well: what a timer starts must not run inside a command.
void QtHost::KeepPainted()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::X11ExcludeTimers);
}
