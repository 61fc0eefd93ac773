// SPDX-License-Identifier: MIT
#include "platform/qt/dialog_font.h"

#include <QString>
#include <QStringList>

QFont DialogFont(const DialogTemplate& dialogTemplate)
{
    QFont font;
    font.setFamilies(QStringList{QString::fromStdString(dialogTemplate.fontName), QStringLiteral("Sans Serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(dialogTemplate.fontPointSize);
    return font;
}
