#include "app/FolderPanel.h"

#include "viewer/DKBookmark.h"

#include "l10n/Localization.h"

#include <QFileDialog>
#include <QStandardPaths>

QString FolderPanel::chooseFolder() {
    // Says what the folder is for and starts where pictures belong, not in the working directory.
    return QFileDialog::getExistingDirectory(
        nullptr, Localization::shared().text(QStringLiteral("folder_panel_title")),
        QStandardPaths::writableLocation(QStandardPaths::PicturesLocation), QFileDialog::ShowDirsOnly);
}

void FolderPanel::install() {
    DKBookmark::setFolderPanel(&FolderPanel::chooseFolder);
}
