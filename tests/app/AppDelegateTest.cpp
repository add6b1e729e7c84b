#include "app/AppDelegate.h"

#include <QTest>
#include <QThread>
#include <QUuid>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <thread>

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
    QWidget neverShown;
    first.hide();
    minimise(second);
    EXPECT_FALSE(AppDelegate::hasVisibleWindows());
    EXPECT_TRUE(AppDelegate::applicationShouldHandleReopen(false));
    EXPECT_TRUE(first.isVisible());
    EXPECT_FALSE(second.isMinimized());
    EXPECT_TRUE(AppDelegate::hasVisibleWindows());
    EXPECT_FALSE(neverShown.isVisible());
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
    first.hide();
    minimise(second);
    // The answer comes from this thread's event loop, which the hand-over does not run: give it a thread.
    std::atomic<bool> handedOver{false};
    std::thread secondStart([&] { handedOver = AppDelegate::handOverToRunningInstance(name); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return first.isVisible() && !second.isMinimized(); }, 2000));
    secondStart.join();
    EXPECT_TRUE(handedOver);
    EXPECT_FALSE(AppDelegate::handOverToRunningInstance(AppDelegate::instanceName(other)));
}

}  // namespace
