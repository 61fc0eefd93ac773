// SPDX-License-Identifier: MIT
#include "platform/qt/dialog_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/qt/control_widgets.h"
#include "platform/qt/dialog_font.h"
#include "platform/qt/wait_cursor.h"
#include "platform/ui/transfer_pace.h"

namespace {

// A fixed-size window with a title bar and, with a window menu, a close box;
// no minimise or maximise box.
Qt::WindowFlags FlagsOf(const DialogTemplate& t, bool owned)
{
    Qt::WindowFlags flags = (owned ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (t.style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    return flags;
}

}  // namespace

DialogWindow::DialogWindow(CDialog& dialog, QWidget* owner, const QIcon& icon)
    : QWidget(owner, FlagsOf(dialog.Template(), owner != nullptr)), m_dialog(dialog)
{
    const DialogTemplate& t = dialog.Template();
    setWindowTitle(QString::fromStdString(t.caption));
    // The window manager paints a minimised window from this icon on Linux;
    // the program has nothing of its own to paint then. Both sizes of the
    // icon are set, the small one for title bars and task lists.
    setWindowIcon(icon);
    setFont(DialogFont(t));
    const DialogBaseUnits units = BaseUnitsOf(font());
    m_templateSize = QSize(MulDiv(t.cx, units.x, 4), MulDiv(t.cy, units.y, 8));
    setFixedSize(m_templateSize);
    BuildControls();
    SetTabOrder();
}

void DialogWindow::ShowProgress(const ProgressReport& progress)
{
    if (!m_progress) {
        m_progress = new QProgressBar(this);
        m_progress->setObjectName(QStringLiteral("transferProgress"));
        const int margin = BaseUnitsOf(font()).y / 4;
        const int height = m_progress->sizeHint().height();
        m_progress->setGeometry(margin, m_templateSize.height(), m_templateSize.width() - 2 * margin, height);
        setFixedSize(m_templateSize.width(), m_templateSize.height() + height + margin);
        m_progress->show();
        m_progressStarted = std::chrono::steady_clock::now();
    }
    // The bar counts in KiB so that large images stay within its int range.
    const auto kib = [](std::uint64_t bytes) {
        return static_cast<int>(std::min<std::uint64_t>(bytes / 1024, INT32_MAX));
    };
    const std::uint64_t total = progress.total ? progress.total : progress.done;
    m_progress->setRange(0, std::max(kib(total), 1));
    m_progress->setValue(kib(progress.done));
    QString format = QString::fromStdString(progress.name) +
                     QStringLiteral("  %1 of %2 KiB  %p%").arg(kib(progress.done)).arg(kib(total));
    const std::string pace = PaceText(progress, std::chrono::steady_clock::now() - m_progressStarted);
    if (!pace.empty()) format += QStringLiteral("  ") + QString::fromStdString(pace);
    m_progress->setFormat(format);
}

void DialogWindow::EndProgress()
{
    if (!m_progress) return;
    delete m_progress;
    m_progress = nullptr;
    setFixedSize(m_templateSize);
}

void DialogWindow::BuildControls()
{
    const DialogBaseUnits units = BaseUnitsOf(font());
    std::vector<QWidget*> inTemplateOrder;
    for (const Control& control : m_dialog.Controls()) {
        QWidget* widget = CreateControlWidget(control, units, this);
        ConnectControl(control, *widget);
        m_widgets[control.tmpl] = widget;
        inTemplateOrder.push_back(widget);
    }
    // The first control of the template lies on top.
    for (auto it = inTemplateOrder.rbegin(); it != inTemplateOrder.rend(); ++it) (*it)->raise();
}

void DialogWindow::ConnectControl(const Control& control, QWidget& widget)
{
    const int id = control.id();
    if (auto* button = qobject_cast<QPushButton*>(&widget))
        connect(button, &QPushButton::clicked, this, [this, id] { Command(id); });
    if (auto* edit = qobject_cast<QLineEdit*>(&widget)) {
        connect(edit, &QLineEdit::textEdited, this,
                [this, id](const QString& text) { m_dialog.ControlEditedByUser(id, text.toStdString()); });
    }
}

void DialogWindow::SetTabOrder()
{
    QWidget* previous = nullptr;
    for (const Control& control : m_dialog.Controls()) {
        if (!(control.tmpl->style & WS_TABSTOP)) continue;
        QWidget* widget = m_widgets.at(control.tmpl);
        if (previous) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

void DialogWindow::ShowControl(const Control& control) { UpdateControlWidget(*m_widgets.at(control.tmpl), control); }

void DialogWindow::FocusControl(int id)
{
    if (QWidget* widget = ControlWidget(id)) widget->setFocus(Qt::OtherFocusReason);
}

QWidget* DialogWindow::ControlWidget(int id) const
{
    const Control* control = m_dialog.FindControl(id);
    return control ? m_widgets.at(control->tmpl) : nullptr;
}

void DialogWindow::ShowDialog(bool show)
{
    if (!show) {
        hide();
        return;
    }
    if (!m_placed) Place();
    m_placed = true;
    QWidget::show();
    activateWindow();
}

// A window with DS_CENTER opens in the middle of the screen, an owned one
// over the middle of its owner; others where the window manager puts them.
// The frame is not known before the window is shown, so the inside of the
// window is centred.
void DialogWindow::Place()
{
    QPoint centre;
    if (m_dialog.Template().style & DS_CENTER)
        centre = screen()->availableGeometry().center();
    else if (QWidget* owner = parentWidget())
        centre = owner->geometry().center();
    else
        return;
    setGeometry(QRect(centre - rect().center(), size()));
}

void DialogWindow::MakeModal()
{
    // Modality takes effect when a window is shown.
    const bool shown = isVisible();
    if (shown) hide();
    setWindowModality(Qt::ApplicationModal);
    if (shown) ShowDialog(true);
}

void DialogWindow::Command(int id)
{
    ++m_dispatching;
    m_dialog.DispatchCommand(id);
    --m_dispatching;
    EndWaitCursor();
}

void DialogWindow::SysCommand(UINT id)
{
    ++m_dispatching;
    m_dialog.DispatchSysCommand(id, 0);
    --m_dispatching;
    EndWaitCursor();
}

// Enter presses the focused push button, else the first button drawn as the
// default one, else sends IDOK.
int DialogWindow::DefaultCommandId() const
{
    const QWidget* focused = focusWidget();
    for (const Control& control : m_dialog.Controls())
        if (control.kind() == ControlKind::PushButton && m_widgets.at(control.tmpl) == focused) return control.id();
    for (const Control& control : m_dialog.Controls())
        if (control.kind() == ControlKind::PushButton && control.defaultLook) return control.id();
    return IDOK;
}

std::optional<UINT> DialogWindow::FirstMenuCommand() const
{
    for (const MenuEntry& entry : m_dialog.SystemMenu())
        if (entry.id != 0) return entry.id;
    return std::nullopt;
}

void DialogWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: Command(DefaultCommandId()); return;
    case Qt::Key_Escape: Command(IDCANCEL); return;
    case Qt::Key_F1:
        // Help opens the program's entry of the window menu: its About box.
        if (std::optional<UINT> id = FirstMenuCommand()) {
            SysCommand(*id);
            return;
        }
        break;
    default: break;
    }
    QWidget::keyPressEvent(event);
}

// The close box acts as Escape; the window itself stays until the dialog
// ends.
void DialogWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    Command(IDCANCEL);
}

// The desktop's window menu cannot take entries of the program on Linux, so
// the entries that the program appended to it make up the window's context
// menu.
void DialogWindow::contextMenuEvent(QContextMenuEvent* event)
{
    if (!FirstMenuCommand()) {
        QWidget::contextMenuEvent(event);
        return;
    }
    QMenu menu(this);
    for (const MenuEntry& entry : m_dialog.SystemMenu()) {
        if (entry.id == 0)
            menu.addSeparator();
        else
            menu.addAction(QString::fromStdString(entry.text))->setData(entry.id);
    }
    if (QAction* chosen = menu.exec(event->globalPos())) SysCommand(chosen->data().toUInt());
}
