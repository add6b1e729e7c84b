// Opens the library window by itself, for looking at it and taking pictures of it.
//
//   deskcam-library                 the app's own save root and settings
//   deskcam-library --root DIR      DIR as the save root, with settings of this run only (the user's are
//                                   neither read nor written)
//   --select NAME                   also select the top-level folder NAME in the tree
//   --size WxH                      the window's size (default 1180x720)
//   -h, --help / -v, --version
//
// The window's buttons work as in the app: the folder panel, the file manager and double-click opening.

#include "app/FolderPanel.h"
#include "base/OptionTable.h"
#include "base/Version.h"
#include "l10n/Localization.h"
#include "library/LibraryViewController.h"
#include "library/LibraryWindow.h"
#include "viewer/DKBookmark.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeView>

#include <cstdio>
#include <memory>

namespace {

void selectTopLevelFolder(LibraryViewController &library, const QString &name) {
    LibraryOutlineModel *model = library.outlineModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        if (index.data().toString() == name)
            library.outlineView()->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    }
}

OptionTable libraryTable() {
    OptionTable table(QStringLiteral("deskcam-library"));
    table
        .setDescription(
            QStringLiteral("Opens the library window by itself: the save root's captures and recordings."))
        .add({{QStringLiteral("root")},
              QStringLiteral("DIR"),
              QStringLiteral("show DIR as the save root, with settings of this run only")})
        .add({{QStringLiteral("select")},
              QStringLiteral("NAME"),
              QStringLiteral("select the top-level folder NAME")})
        .add({{QStringLiteral("size")},
              QStringLiteral("WxH"),
              QStringLiteral("the window's size (default 1180x720)")})
        .addHelp(QStringLiteral("show this help and exit"))
        .addVersion(QStringLiteral("show the version and exit"));
    return table;
}

}  // namespace

int main(int argc, char **argv) {
    const OptionTable table = libraryTable();
    // Help and version before the window system, which may be missing; errors after it took its options.
    if (const auto early = table.parse(OptionTable::words(argc, argv));
        early.isSet(QStringLiteral("help")) || early.isSet(QStringLiteral("version"))) {
        std::printf("%s\n", early.isSet(QStringLiteral("help"))
                                ? qPrintable(table.helpText().trimmed())
                                : deskcam::versionLine("deskcam-library").c_str());
        return 0;
    }
    QApplication app(argc, argv);
    const OptionTable::Parsed parser = table.parse(QApplication::arguments());
    if (!parser.ok()) {
        std::fprintf(stderr, "deskcam-library: %s\n", qPrintable(parser.error));
        return 1;
    }
    FolderPanel::install();
    Localization::installQtTranslations();

    QTemporaryDir runSettings;
    std::unique_ptr<DKBookmark> ownBookmark;
    LibraryViewController *library = nullptr;
    if (parser.isSet(QStringLiteral("root"))) {
        const QString settingsFile = runSettings.filePath("settings.ini");
        QSettings(settingsFile, QSettings::IniFormat)
            .setValue(DKBookmark::kSavePathKey, parser.value(QStringLiteral("root")));
        ownBookmark =
            std::make_unique<DKBookmark>(std::make_unique<QSettings>(settingsFile, QSettings::IniFormat),
                                         &DKBookmark::chooseFolderWithPanel);
        library = new LibraryViewController(*ownBookmark);
        library->setAttribute(Qt::WA_DeleteOnClose);
        library->show();
    } else {
        library = LibraryWindow::present();
    }
    const QStringList size = parser.value(QStringLiteral("size"), QStringLiteral("1180x720")).split(u'x');
    if (size.size() == 2) library->resize(size[0].toInt(), size[1].toInt());
    if (parser.isSet(QStringLiteral("select")))
        selectTopLevelFolder(*library, parser.value(QStringLiteral("select")));
    return app.exec();
}
