// The test program of the viewer: one QApplication on the offscreen platform for all tests, the Qt event
// loop installed as the main event queue (as in the program), and a private home folder so that nothing a
// test writes (the undecodable-picture dump, settings) reaches the user's.

#include "app/QtMainQueue.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    const QDir folder(home.path());
    folder.mkpath(QStringLiteral("Documents"));
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral(".config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", folder.filePath(QStringLiteral(".local/share")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("DESKCAM_LANG", "en");

    QApplication application(argc, argv);
    QtMainQueue::install(application);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
