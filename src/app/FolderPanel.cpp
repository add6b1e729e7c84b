#include "app/FolderPanel.h"

#include "viewer/DKBookmark.h"

#include <QFileDialog>

QString FolderPanel::chooseFolder() {
    return QFileDialog::getExistingDirectory(nullptr, QString(), QString(), QFileDialog::ShowDirsOnly);
}

void FolderPanel::install() {
    DKBookmark::setFolderPanel(&FolderPanel::chooseFolder);
}
