// SPDX-License-Identifier: MIT
#include "platform/qt/message_box.h"

#include <QAbstractButton>
#include <QMetaObject>
#include <QString>

#include "platform/base/win_types.h"

namespace {

MessageBoxObserver g_observer;

QMessageBox::Icon BoxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Stop: return QMessageBox::Critical;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

int ShowMessageBox(QWidget* owner, const std::string& text, const std::string& caption, MessageIcon icon,
                   const std::string& details)
{
    QMessageBox box(BoxIcon(icon), QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok,
                    owner);
    // The program's texts are plain: a '<' in a path must not start markup.
    box.setTextFormat(Qt::PlainText);
    if (!details.empty()) box.setDetailedText(QString::fromStdString(details));
    if (g_observer) {
        QMetaObject::invokeMethod(
            &box,
            [&box] {
                g_observer(box);
                box.button(QMessageBox::Ok)->click();
            },
            Qt::QueuedConnection);
    }
    box.exec();
    return IDOK;
}

void SetMessageBoxObserver(MessageBoxObserver observer) { g_observer = std::move(observer); }
