// The viewer program itself, as a user starts it: twice for the same camera.

#include "ServerSocket.h"

#include "app/AppDelegate.h"

#include <QProcess>
#include <QTest>

#include <sys/socket.h>

#include <gtest/gtest.h>

namespace {

TEST(Main, ASecondStartForTheSameCameraRaisesTheFirstAndSaysSo) {
    LaunchOptions camera;
    camera.camera = QStringLiteral("127.0.0.1");
    camera.imagePort = unusedLoopbackPort(SOCK_STREAM);
    camera.commandPort = unusedLoopbackPort(SOCK_DGRAM);
    const QStringList arguments = {"--camera",       camera.camera,
                                   "--image-port",   QString::number(camera.imagePort),
                                   "--command-port", QString::number(camera.commandPort)};
    QProcess first;
    first.start(QStringLiteral(DESKCAM_PATH), arguments);
    // It listens for later starts before its receiver logs the first (refused) connection.
    QByteArray log;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            log += first.readAllStandardError();
            return log.contains("ImageRecvTCPSocket");
        },
        10000));

    QProcess second;
    second.start(QStringLiteral(DESKCAM_PATH), arguments);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(second.readAllStandardOutput()),
              AppDelegate::handedOverMessage(camera) + QLatin1Char('\n'));
    EXPECT_EQ(first.state(), QProcess::Running);

    first.terminate();
    ASSERT_TRUE(first.waitForFinished(5000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
}

}  // namespace
