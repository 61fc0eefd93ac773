// SPDX-License-Identifier: MIT
#include "platform/qt/resource_images.h"

#include <QFile>
#include <QString>
#include <stdexcept>
#include <string>

namespace {

QString ImagePath(int id, const char* suffix)
{
    return QStringLiteral(":/images/%1%2.png").arg(id).arg(QString::fromLatin1(suffix));
}

std::runtime_error MissingImage(int id)
{
    return std::runtime_error("the program has no image resource " + std::to_string(id));
}

}  // namespace

QPixmap LoadBitmapResource(int id)
{
    QPixmap pixmap(ImagePath(id, ""));
    if (pixmap.isNull()) throw MissingImage(id);
    return pixmap;
}

QIcon LoadIconResource(int id)
{
    const QString large = ImagePath(id, "");
    if (!QFile::exists(large)) throw MissingImage(id);
    QIcon icon(large);
    const QString small = ImagePath(id, "-16");
    if (QFile::exists(small)) icon.addFile(small);
    return icon;
}
