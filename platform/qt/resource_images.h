// SPDX-License-Identifier: MIT
// The program's images, compiled into the executable as Qt resources under
// :/images/ and named by resource number: "<n>.png", and for an icon also
// "<n>-16.png", its small size.
#pragma once

#include <QIcon>
#include <QPixmap>

// Throws std::runtime_error when the program has no such image.
QPixmap LoadBitmapResource(int id);
QIcon LoadIconResource(int id);

// The size the classic window layer gives every icon picture.
inline constexpr int kIconPictureSize = 32;
