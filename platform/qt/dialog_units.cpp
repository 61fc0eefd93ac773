// SPDX-License-Identifier: MIT
#include "platform/qt/dialog_units.h"

#include <QFontMetrics>
#include <QString>
#include <stdexcept>

namespace {
const QString kAlphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
}

DialogBaseUnits BaseUnitsOf(const QFont& font)
{
    QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(kAlphabet);
    // The width of 52 letters halved twice with rounding: the rounded average.
    return {(width / 26 + 1) / 2, metrics.height()};
}

int MulDiv(int a, int b, int c)
{
    if (c <= 0) throw std::invalid_argument("MulDiv needs a positive divisor");
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

QRect DialogUnitsToPixels(const DialogBaseUnits& units, int x, int y, int cx, int cy)
{
    return QRect(MulDiv(x, units.x, 4), MulDiv(y, units.y, 8), MulDiv(cx, units.x, 4), MulDiv(cy, units.y, 8));
}
