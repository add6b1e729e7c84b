#pragma once

// The widget tests of the library window need one QApplication for the whole test program; it is made on
// first use (unless something else already made one) and lives until the process ends.

#include <QApplication>

inline void ensureLibraryTestApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_library";
    static char *argv[] = {name, nullptr};
    static QApplication *const app = new QApplication(argc, argv);
    (void)app;
}
