// The viewer program leaving while it records, in a process of its own (viewer-record-harness): by its
// window, by Ctrl+Q's quit and by SIGTERM it shows that it finishes the recording, and the file it leaves
// behind is finished: index first, in one piece, with its frames.

#include "MediaProbe.h"
#include "SimulatorProcess.h"
#include "library/DKBookmark.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>

using namespace recorder_test;

namespace {

class ViewControllerRecordTest : public testing::TestWithParam<const char *> {
  protected:
    // Runs the harness until it has recorded a while, makes it leave, and returns what it printed.
    QString recordAndLeave(const QString &way) {
        QProcess viewer;
        viewer.start(QStringLiteral(VIEWER_RECORD_HARNESS_PATH),
                     {QString::number(simulator.imagePort()), QString::number(simulator.commandPort()), root, way});
        QString printed;
        while (!printed.contains("recording\n") && viewer.waitForReadyRead(20000)) printed += viewer.readAll();
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

TEST_P(ViewControllerRecordTest, LeavingWhileRecordingFinishesTheFileFirst) {
    ASSERT_TRUE(simulator.start({"--size", "320x240"}));
    const QString printed = recordAndLeave(QString::fromLatin1(GetParam()));
    ASSERT_TRUE(printed.contains("recording\n")) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QString::fromUtf8("notice: Finishing the recording…"))) << printed.toStdString();

    const QDir recordings(root + "/RidirOvozev");
    const QStringList files = recordings.entryList(QDir::Files | QDir::Hidden);
    ASSERT_EQ(files.size(), 1) << files.join(' ').toStdString();
    const std::string path = recordings.filePath(files.front()).toStdString();
    EXPECT_TRUE(indexBeforeMediaData(path));
    EXPECT_FALSE(isFragmented(path));
    EXPECT_GE(decodePictures(path).size(), 15u);
}

INSTANTIATE_TEST_SUITE_P(Ways, ViewControllerRecordTest, testing::Values("close", "quit", "signal"));

}  // namespace
