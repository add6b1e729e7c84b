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
#include "base/Version.h"
#include "library/LibraryViewController.h"
#include "library/LibraryWindow.h"
#include "viewer/DKBookmark.h"

#include <QApplication>
#include <QCommandLineParser>
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

}  // namespace

int main(int argc, char **argv) {
    QCommandLineParser parser;
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOption({"root", "Show DIR as the save root, with settings of this run only.", "DIR"});
    parser.addOption({"select", "Select the top-level folder NAME.", "NAME"});
    parser.addOption({"size", "The window's size.", "WxH", "1180x720"});
    // Help and version before the window system, which may be missing; errors after it took its options.
    QStringList words;
    for (int i = 0; i < argc; ++i) words << QString::fromLocal8Bit(argv[i]);
    parser.parse(words);
    if (parser.isSet(help) || parser.isSet(version)) {
        std::printf("%s\n", parser.isSet(help) ? qPrintable(parser.helpText().trimmed())
                                               : deskcam::versionLine("deskcam-library").c_str());
        return 0;
    }
    QApplication app(argc, argv);
    parser.process(app);
    FolderPanel::install();

    QTemporaryDir runSettings;
    std::unique_ptr<DKBookmark> ownBookmark;
    LibraryViewController *library = nullptr;
    if (parser.isSet("root")) {
        const QString settingsFile = runSettings.filePath("settings.ini");
        QSettings(settingsFile, QSettings::IniFormat)
            .setValue(DKBookmark::kSavePathKey, parser.value("root"));
        ownBookmark =
            std::make_unique<DKBookmark>(std::make_unique<QSettings>(settingsFile, QSettings::IniFormat),
                                         &DKBookmark::chooseFolderWithPanel);
        library = new LibraryViewController(*ownBookmark);
        library->setAttribute(Qt::WA_DeleteOnClose);
        library->show();
    } else {
        library = LibraryWindow::present();
    }
    const QStringList size = parser.value("size").split(u'x');
    if (size.size() == 2) library->resize(size[0].toInt(), size[1].toInt());
    if (parser.isSet("select")) selectTopLevelFolder(*library, parser.value("select"));
    return app.exec();
}
