// Choosing the camera from the window: the dialog's test says what answers, bad values change nothing, and
// OK switches the running viewer to the other camera.

#include "ServerSocket.h"
#include "ViewerTestFixture.h"
#include "app/CameraDialog.h"
#include "app/MouseDragView.h"
#include "l10n/Localization.h"

#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <sys/socket.h>

namespace {

constexpr int kCameraWaitMs = 8000;

QString text(const char *key) {
    return Localization::shared().text(QLatin1String(key));
}

LaunchOptions loopbackCamera(std::uint16_t imagePort, std::uint16_t commandPort) {
    LaunchOptions camera;
    camera.camera = QStringLiteral("127.0.0.1");
    camera.imagePort = imagePort;
    camera.commandPort = commandPort;
    return camera;
}

class CameraDialogTest : public ViewerTestFixture {
  protected:
    void TearDown() override {
        ViewerTestFixture::TearDown();
        second.stop();
        ViewerSettings::open()->remove(QLatin1String(ViewerSettings::kCameraGroup));
    }
    // Runs the dialog's test and returns what it says.
    static QString testResult(CameraDialog &dialog) {
        QSignalSpy tested(&dialog, &CameraDialog::tested);
        dialog.testButton()->click();
        EXPECT_TRUE(tested.wait(2 * CameraProbe::kPatience.count()));
        return dialog.resultLabel()->text();
    }
    SimulatorProcess second;
};

TEST_F(CameraDialogTest, TestSaysWhatAnswersAndWhatDoesNot) {
    ASSERT_TRUE(simulator.start({"--size", "1280x720", "--resolutions", "1280x720,640x480"}));
    CameraDialog dialog(loopbackCamera(simulator.imagePort(), simulator.commandPort()), {});
    const QString answer = testResult(dialog);
    EXPECT_TRUE(answer.contains(text("probe_pictures").arg(1280).arg(720)))
        << "[" << answer.toStdString() << "]";
    EXPECT_TRUE(answer.contains(QString::fromUtf8("1280×720, 640×480"))) << answer.toStdString();

    dialog.imagePortField()->setValue(unusedLoopbackPort(SOCK_STREAM));
    dialog.commandPortField()->setValue(unusedLoopbackPort(SOCK_DGRAM));
    const QString refused = testResult(dialog);
    EXPECT_TRUE(refused.contains(text("probe_pictures_refused"))) << refused.toStdString();
    EXPECT_TRUE(refused.contains(text("probe_commands_none"))) << refused.toStdString();
}

TEST_F(CameraDialogTest, BadHostsAreRefusedAndTheFactorySettingsAreOneClickAway) {
    CameraDialog dialog(loopbackCamera(17060, 15000), {loopbackCamera(17070, 15010)});
    QSignalSpy chosen(&dialog, &CameraDialog::chosen);
    // Malformed names fail before any lookup leaves the machine.
    const std::pair<const char *, QString> refusals[] = {
        {"  ", text("camera_host_empty")},
        {"bad host", text("camera_host_unknown").arg("bad host")},
        {"camera..school", text("camera_host_unknown").arg("camera..school")},
    };
    for (const auto &[host, message] : refusals) {
        SCOPED_TRACE(host);
        dialog.hostField()->setCurrentText(QString::fromLatin1(host));
        dialog.okButton()->click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.resultLabel()->text() == message; }, 5000))
            << dialog.resultLabel()->text().toStdString();
        EXPECT_TRUE(chosen.isEmpty());
    }

    // A recent camera brings its ports; the factory settings fill all three (nothing is connected here).
    dialog.hostField()->setCurrentIndex(0);
    emit dialog.hostField()->activated(0);
    EXPECT_EQ(dialog.camera(), loopbackCamera(17070, 15010));
    dialog.factoryButton()->click();
    EXPECT_EQ(dialog.camera(), LaunchOptions{});
}

TEST_F(CameraDialogTest, OkSwitchesTheRunningViewerToTheOtherCamera) {
    ASSERT_TRUE(simulator.start({"--size", "640x360", "--fps", "10", "--resolutions", "640x360"}));
    ASSERT_TRUE(second.start({"--size", "800x600", "--fps", "10", "--resolutions", "800x600,320x240"}));
    startViewer(simulator.imagePort(), simulator.commandPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->pictureSize() == QSize(640, 360); }, kCameraWaitMs));

    EXPECT_EQ(viewer->ui().camera_button->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_K));
    const int reconnectionsBefore = viewer->reconnections();
    viewer->ui().camera_button->click();
    auto *dialog = viewer->findChild<CameraDialog *>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->camera(), viewer->camera());
    dialog->imagePortField()->setValue(second.imagePort());
    dialog->commandPortField()->setValue(second.commandPort());
    dialog->okButton()->click();

    const LaunchOptions expected = loopbackCamera(second.imagePort(), second.commandPort());
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer->camera() == expected; }, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer->pictureSize() == QSize(800, 600); }, kCameraWaitMs))
        << "the second camera's pictures";
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer->ui().ctrl_resolve_list->count() == 2; }, kCameraWaitMs))
        << "the second camera's list";
    EXPECT_EQ(receiver->server_port(), second.imagePort());
    EXPECT_EQ(LaunchOptions::remembered(*ViewerSettings::open()), expected);
    EXPECT_TRUE(viewer->windowTitle().endsWith(QStringLiteral("127.0.0.1")));
    // One count of reconnections for the run, on the overlay as in the log: a switch does not reset it.
    viewer->setStatusOverlayShown(true);
    EXPECT_TRUE(
        viewer->statusLines().contains(QStringLiteral("Reconnections %1").arg(viewer->reconnections())))
        << viewer->statusLines().join(QLatin1Char('\n')).toStdString();
    EXPECT_GE(viewer->reconnections(), reconnectionsBefore);
}

}  // namespace
