// SPDX-License-Identifier: MIT
#include "platform/qt/folder_chooser.h"

#include <QFileDialog>
#include <QString>
#include <utility>

namespace {

FolderChooserAnswerer& Answerer()
{
    static FolderChooserAnswerer answerer;
    return answerer;
}

}  // namespace

std::optional<std::filesystem::path> ChooseFolder(const std::string& caption, const std::filesystem::path& start)
{
    if (Answerer()) return Answerer()(caption, start);
    const QString chosen = QFileDialog::getExistingDirectory(nullptr, QString::fromStdString(caption),
                                                             QString::fromStdString(start.string()));
    if (chosen.isEmpty()) return std::nullopt;
    return std::filesystem::path(chosen.toStdString());
}

void SetFolderChooserAnswerer(FolderChooserAnswerer answerer)
{
    Answerer() = std::move(answerer);
}
