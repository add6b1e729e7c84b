#include "app/AppDelegate.h"

#include <QTest>
#include <QThread>
#include <QUuid>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>

namespace {

class AppDelegateTest : public testing::Test {
  protected:
    void SetUp() override {
        for (QWidget *window : {&first, &second}) {
            window->resize(200, 100);
            window->show();
        }
    }

    static void minimise(QWidget &window) { window.setWindowState(Qt::WindowMinimized); }

    QWidget first, second;
};

TEST_F(AppDelegateTest, ReopenWithNoVisibleWindowBringsEveryWindowBack) {
    minimise(first);
    minimise(second);
    EXPECT_FALSE(AppDelegate::hasVisibleWindows());
    EXPECT_TRUE(AppDelegate::applicationShouldHandleReopen(false));
    EXPECT_FALSE(first.isMinimized());
    EXPECT_FALSE(second.isMinimized());
    EXPECT_TRUE(AppDelegate::hasVisibleWindows());
}

TEST_F(AppDelegateTest, ReopenWithAVisibleWindowChangesNothing) {
    minimise(second);
    EXPECT_TRUE(AppDelegate::hasVisibleWindows());
    EXPECT_TRUE(AppDelegate::applicationShouldHandleReopen(true));
    EXPECT_TRUE(second.isMinimized());
}

TEST_F(AppDelegateTest, Sigusr1PressesTheRecordButtonOnTheMainThread) {
    AppDelegate delegate;
    int presses = 0;
    delegate.recordOnSignal([&] {
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        ++presses;
    });
    std::raise(SIGUSR1);
    std::raise(SIGUSR1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return presses == 2; }, 5000));
}

TEST_F(AppDelegateTest, ASecondStartForTheSameCameraHandsOverToTheFirst) {
    LaunchOptions camera;
    camera.camera = QStringLiteral("127.0.0.1");
    camera.imagePort = static_cast<std::uint16_t>(QUuid::createUuid().data1 % 60000 + 1024);
    LaunchOptions other = camera;
    other.commandPort = camera.commandPort + 1;
    const QString name = AppDelegate::instanceName(camera);
    EXPECT_NE(name, AppDelegate::instanceName(other));

    EXPECT_FALSE(AppDelegate::handOverToRunningInstance(name));
    AppDelegate running;
    ASSERT_TRUE(running.listenForReopen(name));
    minimise(first);
    minimise(second);
    EXPECT_TRUE(AppDelegate::handOverToRunningInstance(name));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !first.isMinimized() && !second.isMinimized(); }, 2000));
    EXPECT_FALSE(AppDelegate::handOverToRunningInstance(AppDelegate::instanceName(other)));
}

}  // namespace
