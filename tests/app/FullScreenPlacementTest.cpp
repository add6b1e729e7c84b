// Full screen on the chosen screen: the maximise button's menu of screens and the remembered choice (in
// the window, on the offscreen platform), and the window filling the chosen one of two monitors and coming
// back where it was (on a display of the test's own, with the xcb platform).

#include "app/FullScreenPlacement.h"

#include "ChildProcess.h"
#include "ServerSocket.h"
#include "ViewerTestFixture.h"

#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <thread>

namespace {

class FullScreenMenuTest : public ViewerTestFixture {
  protected:
    void TearDown() override {
        ViewerTestFixture::TearDown();
        ViewerSettings::open()->remove(QLatin1String(ViewerSettings::kFullScreenScreenKey));
    }
    void startWith(const QString &remembered) {
        ViewerSettings::setText(ViewerSettings::kFullScreenScreenKey, remembered);
        startViewer(unusedLoopbackPort(SOCK_STREAM), unusedLoopbackPort(SOCK_DGRAM));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer.get()));
    }
    QList<QAction *> screenEntries() const {
        return viewer->ui().screen_menu->findChildren<QAction *>(QStringLiteral("screen_action"));
    }
};

// The offscreen platform's one screen has no name: it is listed, but cannot be chosen, and whatever was
// remembered (another room's projector) the window's own screen is used. Naming and choosing screens is
// tried on two monitors below.
TEST_F(FullScreenMenuTest, ANamelessScreenIsListedButTheWindowsOwnIsUsed) {
    for (const QString &remembered : {QString(), QStringLiteral("HDMI-9")}) {
        SCOPED_TRACE(remembered.toStdString());
        startWith(remembered);
        const auto &ui = viewer->ui();
        const QList<QAction *> screens = screenEntries();
        ASSERT_EQ(screens.size(), QGuiApplication::screens().size());
        const QSize size = QGuiApplication::primaryScreen()->geometry().size();
        EXPECT_EQ(screens[0]->text(), QStringLiteral("1 (%1×%2)").arg(size.width()).arg(size.height()));
        EXPECT_FALSE(screens[0]->isEnabled());
        EXPECT_TRUE(ui.window_screen_action->isChecked());
        EXPECT_EQ(ui.window_screen_action->text(), QStringLiteral("This window's screen"));
        EXPECT_EQ(ui.full_screen_action->shortcut(), QKeySequence(Qt::Key_F11));
        EXPECT_TRUE(ui.max_window_button->toolTip().contains(QStringLiteral("Full screen (F11)")));
    }
}

// Leaving full screen brings back the window's geometry, and a maximised window comes back maximised.
TEST_F(FullScreenMenuTest, LeavingFullScreenPutsTheWindowBackAsItWas) {
    startWith(QString());
    const QRect normal(40, 50, 1100, 700);
    viewer->setGeometry(normal);
    QTest::qWait(50);
    viewer->ui().full_screen_action->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->isFullScreen(); }, 2000));
    viewer->toggleFullScreen();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !viewer->isFullScreen(); }, 2000));
    EXPECT_EQ(viewer->geometry(), normal);
    EXPECT_FALSE(viewer->isMaximized());

    viewer->showMaximized();
    viewer->toggleFullScreen();
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->isFullScreen(); }, 2000));
    viewer->toggleFullScreen();
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer->isMaximized() && !viewer->isFullScreen(); }, 2000));
    viewer->showNormal();
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer->geometry() == normal; }, 2000));
}

// --- two monitors side by side on one X screen

// An X server of the test's own on a free display, its screen cut into two RandR monitors LEFT and
// RIGHT (1024x768 each), as a laptop with a projector beside it. -noreset: the server otherwise forgets
// the monitors when xrandr, its last client, disconnects.
class TwoMonitorDisplay {
  public:
    TwoMonitorDisplay() {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        xrandr_ = QStandardPaths::findExecutable(QStringLiteral("xrandr"));
        if (xvfb.isEmpty() || xrandr_.isEmpty()) return;
        for (int number = 90; number <= 94 && !server_; ++number) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number))) continue;
            display_ = QStringLiteral(":%1").arg(number);
            quiet_ = open("/dev/null", O_WRONLY | O_CLOEXEC);
            server_ = std::make_unique<ChildProcess>(
                std::vector<std::string>{xvfb.toStdString(), display_.toStdString(), "-screen", "0",
                                         "2048x768x24", "-nolisten", "tcp", "-noreset"},
                false, quiet_);
            if (!waitForSocket(number)) server_.reset();
        }
        if (server_) ready_ = setUpMonitors();
    }
    ~TwoMonitorDisplay() {
        server_.reset();  // SIGTERM: the server removes its lock and socket
        if (quiet_ >= 0) close(quiet_);
    }

    bool toolsMissing() const { return xrandr_.isEmpty(); }
    bool ready() const { return ready_; }
    const QString &display() const { return display_; }

  private:
    bool waitForSocket(int number) const {
        for (int i = 0; i < 100; ++i) {
            if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number))) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    QString xrandr(const QStringList &arguments) const {
        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display_);
        run.setProcessEnvironment(environment);
        run.start(xrandr_, arguments);
        run.waitForFinished(5000);
        return run.exitCode() == 0 ? QString::fromLocal8Bit(run.readAllStandardOutput()) : QString();
    }
    // LEFT takes over the server's one output (its name differs between server versions), RIGHT has none.
    bool setUpMonitors() const {
        const QRegularExpression connected(QStringLiteral("^(\\S+) connected"),
                                           QRegularExpression::MultilineOption);
        const QString output = connected.match(xrandr({})).captured(1);
        if (output.isEmpty()) return false;
        xrandr({"--setmonitor", "LEFT", "1024/270x768/200+0+0", output});
        xrandr({"--setmonitor", "RIGHT", "1024/270x768/200+1024+0", "none"});
        return xrandr({"--listmonitors"}).startsWith(QStringLiteral("Monitors: 2"));
    }

    QString xrandr_;
    QString display_;
    int quiet_ = -1;
    std::unique_ptr<ChildProcess> server_;
    bool ready_ = false;
};

struct Placement {
    QRect geometry;
    bool maximised = false;
    QString screen;
};

struct HarnessReport {
    std::map<std::string, Placement> placements;  // keyed by "normal full" and the like
    QStringList menu;                             // "RIGHT (1024×768) checked=1", in order
    QString remembered;                           // after choosing "This window's screen"
};

HarnessReport runHarness(const QString &display, const QString &windowManager) {
    std::vector<std::string> command{"/usr/bin/env", "DISPLAY=" + display.toStdString(),
                                     "QT_QPA_PLATFORM=xcb"};
    if (!windowManager.isEmpty()) {
        // The window manager runs as long as the harness: the shell ends both.
        command.insert(command.end(),
                       {"/bin/sh", "-c", windowManager.toStdString() + " & sleep 1; \"$0\" \"$@\"; kill $!"});
    }
    command.insert(command.end(), {FULLSCREEN_HARNESS_PATH, std::to_string(unusedLoopbackPort(SOCK_STREAM)),
                                   std::to_string(unusedLoopbackPort(SOCK_DGRAM)), "RIGHT"});
    ChildProcess harness(command);
    // "normal full: 1024 0 1024 768 maximised=0 screen=RIGHT"
    const QRegularExpression placement(
        QStringLiteral(R"(^(\w+ \w+): (-?\d+) (-?\d+) (\d+) (\d+) maximised=(\d) screen=(\S*)$)"));
    HarnessReport report;
    while (const std::optional<std::string> text = harness.readLine(std::chrono::seconds(40))) {
        const QString line = QString::fromStdString(*text);
        if (line.startsWith(QStringLiteral("menu: "))) report.menu << line.mid(6);
        if (line.startsWith(QStringLiteral("remembered: "))) report.remembered = line.mid(12);
        const QRegularExpressionMatch match = placement.match(line);
        if (!match.hasMatch()) continue;
        report.placements[match.captured(1).toStdString()] = {
            QRect(match.captured(2).toInt(), match.captured(3).toInt(), match.captured(4).toInt(),
                  match.captured(5).toInt()),
            match.captured(6) == QLatin1String("1"), match.captured(7)};
    }
    EXPECT_EQ(harness.wait(), 0);
    return report;
}

// The menu lists both monitors with the remembered RIGHT checked. F11 with RIGHT chosen fills RIGHT, from
// a normal window on LEFT and from a maximised one; F11 again puts the window back on LEFT where it was. With
// a window manager (it honours full screen) and without one (Qt places the window itself).
TEST(FullScreenOnTwoMonitors, FillsTheChosenMonitorAndComesBack) {
    const TwoMonitorDisplay display;
    if (display.toolsMissing()) GTEST_SKIP() << "needs Xvfb and xrandr (scripts/install-deps.sh)";
    ASSERT_TRUE(display.ready()) << "two monitors on " << display.display().toStdString();
    QStringList windowManagers{QString()};
    if (const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox")); !openbox.isEmpty())
        windowManagers << openbox;
    for (const QString &windowManager : windowManagers) {
        SCOPED_TRACE(windowManager.isEmpty() ? "no window manager" : "openbox");
        HarnessReport report = runHarness(display.display(), windowManager);
        EXPECT_EQ(report.menu, QStringList({QStringLiteral("This window's screen checked=0"),
                                            QStringLiteral("LEFT (1024×768) checked=0"),
                                            QStringLiteral("RIGHT (1024×768) checked=1")}));
        EXPECT_EQ(report.remembered, QString());
        std::map<std::string, Placement> &seen = report.placements;
        EXPECT_EQ(seen.size(), 6u);
        const QRect right(1024, 0, 1024, 768);
        for (const char *round : {"normal", "maximised"}) {
            SCOPED_TRACE(round);
            const std::string name(round);
            ASSERT_TRUE(seen.count(name + " before") && seen.count(name + " full") &&
                        seen.count(name + " after"));
            const Placement &before = seen[name + " before"];
            EXPECT_EQ(before.screen, QStringLiteral("LEFT"));
            EXPECT_EQ(seen[name + " full"].geometry, right);
            EXPECT_EQ(seen[name + " full"].screen, QStringLiteral("RIGHT"));
            EXPECT_EQ(seen[name + " after"].geometry, before.geometry);
            EXPECT_EQ(seen[name + " after"].maximised, before.maximised);
            EXPECT_EQ(seen[name + " after"].screen, QStringLiteral("LEFT"));
        }
        EXPECT_FALSE(seen["normal before"].maximised);
        EXPECT_TRUE(seen["maximised before"].maximised);
    }
}

}  // namespace
