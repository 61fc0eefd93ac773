// SPDX-License-Identifier: MIT
#include "platform/qt/file_chooser.h"

#include <QFileDialog>
#include <QString>

std::optional<std::filesystem::path> ChooseProfileFile(const std::string& caption, const std::filesystem::path& start)
{
    const QString chosen =
        QFileDialog::getOpenFileName(nullptr, QString::fromStdString(caption), QString::fromStdString(start.string()),
                                     QStringLiteral("Profile backups (profback-*.bin);;All files (*)"));
    if (chosen.isEmpty()) return std::nullopt;
    return std::filesystem::path(chosen.toStdString());
}
