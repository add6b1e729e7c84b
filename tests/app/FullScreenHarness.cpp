// fullscreen-harness IMAGE_PORT COMMAND_PORT SCREEN_NAME: the viewer window on the platform the caller
// sets (xcb on a display with two monitors), full screen going to SCREEN_NAME. Prints the screens, then
// the window's geometry before, in and after full screen, once as a normal window and once maximised:
//   screen: NAME X Y W H
//   normal before|full|after: X Y W H maximised=0|1 screen=NAME
//   maximised before|full|after: ...
//   menu: LABEL checked=0|1            (the menu's choices, before)
//   remembered: NAME                   (after choosing "This window's screen")
// F11 goes through the window's key handling as a typed key would.

#include "app/QtMainQueue.h"
#include "app/ViewController.h"
#include "device/ImageRecvTCPSocket.h"
#include "viewer/LaunchOptions.h"
#include "viewer/ViewerSettings.h"

#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QTest>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kSettleMilliseconds = 5000;  // the window manager's answer to a state change

void report(const char *round, const char *when, const QWidget &window) {
    const QRect g = window.geometry();
    std::printf("%s %s: %d %d %d %d maximised=%d screen=%s\n", round, when, g.x(), g.y(), g.width(),
                g.height(), window.isMaximized() ? 1 : 0, qPrintable(window.screen()->name()));
    std::fflush(stdout);
}

// The caller compares what settled with what it expects; a timeout is only noted.
template <typename Condition>
void settle(const char *what, Condition condition) {
    if (!QTest::qWaitFor(condition, kSettleMilliseconds)) std::printf("note: %s timed out\n", what);
}

void pressFullScreenKey(QWidget &window) {
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window, 2000)) std::printf("note: window not active\n");
    QTest::keyClick(&window, Qt::Key_F11);
}

// Full screen and back; the geometry once each change has settled.
void round(const char *name, QWidget &window, const QRect &expected) {
    QTest::qWait(300);
    report(name, "before", window);
    const QRect before = window.geometry();
    pressFullScreenKey(window);
    settle("full screen", [&] { return window.isFullScreen() && window.geometry() == expected; });
    QTest::qWait(300);
    report(name, "full", window);
    pressFullScreenKey(window);
    settle("leaving", [&] { return !window.isFullScreen() && window.geometry() == before; });
    QTest::qWait(300);
    report(name, "after", window);
}

}  // namespace

int main(int argc, char *argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: fullscreen-harness IMAGE_PORT COMMAND_PORT SCREEN_NAME\n");
        return 2;
    }
    QApplication application(argc, argv);
    QtMainQueue::install(application);
    const QString chosen = QString::fromLocal8Bit(argv[3]);
    ViewerSettings::setText(ViewerSettings::kFullScreenScreenKey, chosen);
    QRect expected;
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        std::printf("screen: %s %d %d %d %d\n", qPrintable(screen->name()), g.x(), g.y(), g.width(),
                    g.height());
        if (screen->name() == chosen) expected = g;
    }
    LaunchOptions options;
    options.camera = QStringLiteral("127.0.0.1");
    options.imagePort = static_cast<std::uint16_t>(std::atoi(argv[1]));
    options.commandPort = static_cast<std::uint16_t>(std::atoi(argv[2]));
    ViewController window(options, ImageRecvTCPSocket::sharedInstance());
    window.setGeometry(100, 120, 800, 500);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 3;
    for (QAction *item : window.ui().screen_menu->actions()) {
        if (item->isCheckable())
            std::printf("menu: %s checked=%d\n", qPrintable(item->text()), item->isChecked() ? 1 : 0);
    }
    round("normal", window, expected);
    window.showMaximized();
    settle("maximising", [&] { return window.isMaximized(); });
    round("maximised", window, expected);
    window.ui().window_screen_action->trigger();
    std::printf("remembered: %s\n",
                qPrintable(ViewerSettings::text(ViewerSettings::kFullScreenScreenKey, QStringLiteral("?"))));
    return 0;
}
