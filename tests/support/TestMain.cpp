// The main of every test program: a private home, English texts, the offscreen platform (also when ctest
// lists the tests without the test environment), then the Qt application object the program's kind needs
// (none, core, gui or widgets), made once for all its tests. DESKCAM_TEST_CORE, DESKCAM_TEST_GUI or
// DESKCAM_TEST_WIDGETS names the kind (none without); DESKCAM_TEST_QT_MAIN_QUEUE installs the Qt event loop
// as the main event queue, as the viewer does.

#include "IsolatedHome.h"

#include <QtGlobal>

#if defined(DESKCAM_TEST_QT_MAIN_QUEUE)
#include "app/QtMainQueue.h"
#endif
#if defined(DESKCAM_TEST_WIDGETS)
#include <QApplication>
#elif defined(DESKCAM_TEST_GUI)
#include <QGuiApplication>
#elif defined(DESKCAM_TEST_CORE)
#include <QCoreApplication>
#endif

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    const IsolatedHome home;
    if (!home.isValid()) return 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("DESKCAM_LANG", "en");

#if defined(DESKCAM_TEST_WIDGETS)
    QApplication application(argc, argv);
#elif defined(DESKCAM_TEST_GUI)
    QGuiApplication application(argc, argv);
#elif defined(DESKCAM_TEST_CORE)
    QCoreApplication application(argc, argv);
#endif
#if defined(DESKCAM_TEST_QT_MAIN_QUEUE)
    QtMainQueue::install(application);
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
