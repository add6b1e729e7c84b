// The viewer program itself, as a user starts it: twice for the same camera, and after an interrupted finish.

#include "ProgramLog.h"
#include "ServerSocket.h"
#include "SimulatorProcess.h"

#include "app/AppDelegate.h"

#include "viewer/DKBookmark.h"
#include "viewer/LaunchOptions.h"

#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

// Starts the viewer, waits until its log says line, ends it with SIGTERM and returns the log; empty when
// the line did not come.
QByteArray logOfAViewerUntil(const QStringList &arguments, const char *line) {
    QProcess viewer;
    viewer.start(QStringLiteral(DESKCAM_PATH), arguments);
    QByteArray log;
    const bool seen = waitForLog(viewer, log, line);
    viewer.terminate();
    viewer.waitForFinished(5000);
    return seen ? log : QByteArray();
}

// A viewer of a camera that is not there: it only tries.
QStringList absentCamera() {
    return {"--camera", "127.0.0.1", "--image-port", QString::number(unusedLoopbackPort(SOCK_STREAM))};
}

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
    ASSERT_TRUE(waitForLog(first, log, "ImageRecvTCPSocket"));

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

// The menu entry starts deskcam without arguments: the camera kept in the settings is the one it shows,
// and a camera named on the command line wins for that run without replacing the kept one.
TEST(Main, ACameraKeptInTheSettingsIsShownAndTheCommandLineWinsWithoutReplacingIt) {
    SimulatorProcess simulator;
    ASSERT_TRUE(simulator.start({"--fps", "10", "--size", "640x360"}));
    LaunchOptions kept;
    kept.camera = QStringLiteral("127.0.0.1");
    kept.imagePort = simulator.imagePort();
    kept.commandPort = simulator.commandPort();
    {
        QSettings settings(QStringLiteral("deskcam"), QStringLiteral("deskcam"));
        LaunchOptions::remember(settings, kept);
    }
    EXPECT_FALSE(logOfAViewerUntil({}, "本帧数据长度").isEmpty()) << "pictures from the kept camera";
    ASSERT_FALSE(logOfAViewerUntil(absentCamera(), "ImageRecvTCPSocket").isEmpty());
    QSettings settings(QStringLiteral("deskcam"), QStringLiteral("deskcam"));
    EXPECT_EQ(LaunchOptions::remembered(settings), kept);
    settings.remove(QStringLiteral("camera"));
}

TEST(Main, AStartRemovesTheCopyAnInterruptedFinishLeftBehind) {
    QTemporaryDir root;
    const std::filesystem::path records =
        (QDir(root.path()).filePath(DKBookmark::kRecordFolder)).toStdString();
    std::filesystem::create_directories(records);
    const auto now = std::filesystem::file_time_type::clock::now();
    for (const char *name : {".record_1.mp4.part", "record_1.mp4", ".record_2.mp4.part"})
        std::ofstream(records / name) << "fragments";
    std::filesystem::last_write_time(records / ".record_1.mp4.part", now - std::chrono::minutes(10));
    std::filesystem::last_write_time(records / "record_1.mp4", now - std::chrono::minutes(10));
    {
        QSettings settings(QStringLiteral("deskcam"), QStringLiteral("deskcam"));
        settings.setValue(DKBookmark::kSavePathKey, root.path());
    }

    const QByteArray log = logOfAViewerUntil(absentCamera(), "ImageRecvTCPSocket");
    ASSERT_FALSE(log.isEmpty());
    QSettings(QStringLiteral("deskcam"), QStringLiteral("deskcam")).remove(DKBookmark::kSavePathKey);

    EXPECT_FALSE(std::filesystem::exists(records / ".record_1.mp4.part")) << log.constData();
    EXPECT_TRUE(std::filesystem::exists(records / "record_1.mp4")) << "the recording itself stays";
    EXPECT_TRUE(std::filesystem::exists(records / ".record_2.mp4.part")) << "a finish may still be under way";
    EXPECT_TRUE(log.contains("the unfinished copy of an interrupted recording's finish"));
}

}  // namespace
