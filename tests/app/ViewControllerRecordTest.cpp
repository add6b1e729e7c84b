// The viewer program while it records, in a process of its own (viewer-record-harness): leaving by its
// window, by Ctrl+Q's quit and by SIGTERM it shows that it finishes the recording, and the file it leaves
// behind is finished: index first, in one piece, with its frames. Under a file size limit it says the
// disk is full and names the file, which still plays.

#include "MediaProbe.h"
#include "SimulatorProcess.h"
#include "viewer/DKBookmark.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

using namespace recorder_test;

namespace {

class ViewerRecordProcessTest : public testing::Test {
  protected:
    // Runs the harness until it has recorded a while, makes it leave, and returns what it printed.
    QString recordAndLeave(const QString &way, QStringList prefix = {}) {
        QProcess viewer;
        prefix << QStringLiteral(VIEWER_RECORD_HARNESS_PATH) << QString::number(simulator.imagePort())
               << QString::number(simulator.commandPort()) << root << way;
        viewer.start(prefix.takeFirst(), prefix);
        QString printed;
        while (!printed.contains("recording\n") && !printed.contains("alert: ") &&
               viewer.waitForReadyRead(20000))
            printed += viewer.readAll();
        if (way == QLatin1String("signal")) kill(static_cast<pid_t>(viewer.processId()), SIGTERM);
        EXPECT_TRUE(viewer.waitForFinished(30000));
        EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(viewer.exitCode(), 0);
        return printed + viewer.readAll();
    }

    QTemporaryDir folder;
    const QString root = DKBookmark::CreateDirectory(folder.filePath("ZUVA"));
    SimulatorProcess simulator;
};

class ViewControllerRecordTest : public ViewerRecordProcessTest,
                                 public testing::WithParamInterface<const char *> {};

TEST_P(ViewControllerRecordTest, LeavingWhileRecordingFinishesTheFileFirst) {
    ASSERT_TRUE(simulator.start({"--size", "320x240"}));
    const QString printed = recordAndLeave(QString::fromLatin1(GetParam()));
    ASSERT_TRUE(printed.contains("recording\n")) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QString::fromUtf8("notice: Finishing the recording…")))
        << printed.toStdString();

    const QDir recordings(root + "/RidirOvozev");
    const QStringList files = recordings.entryList(QDir::Files | QDir::Hidden);
    ASSERT_EQ(files.size(), 1) << files.join(' ').toStdString();
    const std::string path = recordings.filePath(files.front()).toStdString();
    EXPECT_TRUE(indexBeforeMediaData(path));
    EXPECT_FALSE(isFragmented(path));
    EXPECT_GE(decodePictures(path).size(), 15u);
}

INSTANTIATE_TEST_SUITE_P(Ways, ViewControllerRecordTest, testing::Values("close", "quit", "signal"));

TEST_F(ViewerRecordProcessTest, AFullDiskStopsTheRecordingWithAnAlertNamingThePlayableFile) {
    if (access("/usr/bin/prlimit", X_OK) != 0) GTEST_SKIP() << "prlimit is not installed";
    ASSERT_TRUE(simulator.start({"--size", "320x240"}));
    const QString printed = recordAndLeave("alert", {"/usr/bin/prlimit", "--fsize=60000"});
    const QDir recordings(root + "/RidirOvozev");
    const QStringList files = recordings.entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1) << printed.toStdString();
    const QString path = recordings.filePath(files.front());
    EXPECT_TRUE(printed.contains("alert: The disk is full: the recording " + path + " was stopped after"))
        << printed.toStdString();
    EXPECT_TRUE(printed.contains("The file keeps what was recorded until then.")) << printed.toStdString();
    EXPECT_TRUE(probeFile(path.toStdString()).opened);
    EXPECT_GE(decodePictures(path.toStdString()).size(), 10u);
}

}  // namespace
