#include "app/AppDelegate.h"

#include <QFileInfo>
#include <QTest>
#include <QThread>
#include <QUuid>
#include <QWidget>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>
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

    // A process of another user ("nobody") listening at path and answering every start as the viewer would.
    static pid_t listenAsAnotherUser(const std::string &path) {
        int ready[2];
        if (pipe(ready) != 0) return -1;
        const pid_t child = fork();
        if (child != 0) {
            close(ready[1]);
            char byte = 0;
            const bool listening = read(ready[0], &byte, 1) == 1;
            close(ready[0]);
            return listening ? child : -1;
        }
        // Only system calls from here on: the parent has threads.
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(1);
        const int server = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        if (bind(server, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) _exit(1);
        if (listen(server, 4) != 0 || write(ready[1], "r", 1) != 1) _exit(1);
        for (;;) {
            const int client = accept(server, nullptr, nullptr);
            if (client < 0) continue;
            [[maybe_unused]] const ssize_t written = write(client, "raised\n", 7);
        }
    }

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

TEST_F(AppDelegateTest, TheSocketLivesInThePrivateRuntimeFolder) {
    LaunchOptions camera;
    camera.camera = QStringLiteral("127.0.0.1");
    const QString name = AppDelegate::instanceName(camera);
    ASSERT_FALSE(name.isEmpty());
    const QFileInfo socket(name);
    EXPECT_TRUE(socket.fileName().startsWith(QStringLiteral("deskcam-")));
    struct stat folder {};
    ASSERT_EQ(lstat(qPrintable(socket.path()), &folder), 0);
    EXPECT_EQ(folder.st_uid, getuid());
    EXPECT_EQ(folder.st_mode & 077, 0u) << "nobody else may enter the folder of the hand-over socket";
}

TEST_F(AppDelegateTest, AnotherUsersListenerDoesNotStopTheStart) {
    if (getuid() != 0) GTEST_SKIP() << "needs root to run a listener as another user";
    char pattern[] = "/tmp/deskcam-handover-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    chmod(pattern, 0777);
    const std::string path = std::string(pattern) + "/deskcam-socket";
    const pid_t stranger = listenAsAnotherUser(path);
    ASSERT_GT(stranger, 0);

    EXPECT_FALSE(AppDelegate::handOverToRunningInstance(QString::fromStdString(path)))
        << "a listener of another user must not make this start give up";

    kill(stranger, SIGKILL);
    waitpid(stranger, nullptr, 0);
    unlink(path.c_str());
    rmdir(pattern);
}

}  // namespace
