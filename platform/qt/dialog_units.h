// SPDX-License-Identifier: MIT
// Dialog units to pixels, as the classic dialog manager converts a template:
// a horizontal dialog unit is a quarter of the dialog font's average
// character width, a vertical one an eighth of the font's height.
#pragma once

#include <QFont>
#include <QRect>

struct DialogBaseUnits {
    int x;  // average width of the letters A-Z and a-z, rounded
    int y;  // height of the font
};

DialogBaseUnits BaseUnitsOf(const QFont& font);

// a * b / c rounded to the nearest integer, halves away from zero; c > 0.
int MulDiv(int a, int b, int c);

// A rectangle given in dialog units, in pixels.
QRect DialogUnitsToPixels(const DialogBaseUnits& units, int x, int y, int cx, int cy);
