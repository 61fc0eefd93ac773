// SPDX-License-Identifier: MIT
#include "platform/qt/static_text.h"

QString StaticDisplayText(const std::string& text, bool noPrefix)
{
    const QString source = QString::fromStdString(text);
    if (noPrefix) return source;
    QString shown;
    shown.reserve(source.size());
    for (qsizetype i = 0; i < source.size(); ++i) {
        if (source[i] == u'&') {
            ++i;
            if (i == source.size()) break;
        }
        shown.append(source[i]);
    }
    return shown;
}
