// The capture button of the live viewer, end to end: deskcam-sim on loopback, the viewer on the offscreen
// platform, a save root in a temporary folder, and the alert read back from the window.

#include "app/ViewController.h"

#include "ServerSocket.h"

#include "ViewerTestFixture.h"
#include "library/DKBookmark.h"

#include <QAbstractButton>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

constexpr int kCameraWaitMs = 8000;

bool samePixels(const QImage &a, const QImage &b) {
    return a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
}

class ViewControllerCaptureTest : public ViewerTestFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        // The app's one save location, pointed at a temporary root; its panel must never open here.
        bookmark().setFolderChooser([] { return QString(); });
        root = DKBookmark::CreateDirectory(folder.filePath("Pictures/ZUVA"));
        bookmark().setSavePath(root);
    }
    void TearDown() override {
        ViewerTestFixture::TearDown();
        bookmark().setSavePath(QString());
    }
    static DKBookmark &bookmark() { return DKBookmark::defaultShareBookmark(); }

    // Presses the capture button and returns the text of the alert it leaves on the window, dismissing it.
    QString pressCaptureAndReadAlert() {
        viewer->ui().capture_button->click();
        QMessageBox *alert = viewer->findChild<QMessageBox *>();
        if (!alert || !alert->isVisible()) return QStringLiteral("<no alert>");
        EXPECT_EQ(alert->windowModality(), Qt::WindowModal);
        const QString text = alert->text();
        alert->buttons().front()->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return text;
    }

    QStringList captures() const {
        return QDir(root + "/CaptureImages").entryList({"image_*.png"}, QDir::Files, QDir::Name);
    }

    QTemporaryDir folder;
    QString root;
};

TEST_F(ViewControllerCaptureTest, SavesTheDecodedCameraPictureOnScreenAndSaysWhere) {
    ASSERT_TRUE(simulator.start({"--size", "640x360"}));
    startViewer(simulator.imagePort(), simulator.commandPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->shownImageBytes() != nullptr; }, kCameraWaitMs));

    // Read in the same turn of the event loop as the press: no new picture can come in between.
    const ImageBytes onScreen = viewer->shownImageBytes();
    const QString message = pressCaptureAndReadAlert();

    ASSERT_EQ(captures().size(), 1);
    const QString path = root + "/CaptureImages/" + captures().front();
    EXPECT_EQ(message, QString::fromUtf8("Image saved in path：") + path);
    const QImage decoded = QImage::fromData(onScreen->data(), static_cast<int>(onScreen->size()), "JPEG");
    const QImage written(path, "PNG");
    EXPECT_EQ(written.size(), QSize(640, 360));
    EXPECT_TRUE(samePixels(written, decoded));

    // Presses in quick succession (mostly within one second) keep every still.
    pressCaptureAndReadAlert();
    pressCaptureAndReadAlert();
    EXPECT_EQ(captures().size(), 3);
}

TEST_F(ViewControllerCaptureTest, SavesTheNoDevicePictureWithoutACamera) {
    startViewer(unusedLoopbackPort(SOCK_STREAM), unusedLoopbackPort(SOCK_DGRAM));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !viewer->currentImage().isNull(); }, kCameraWaitMs));

    EXPECT_TRUE(pressCaptureAndReadAlert().startsWith(QString::fromUtf8("Image saved in path：")));
    ASSERT_EQ(captures().size(), 1);
    EXPECT_TRUE(
        samePixels(QImage(root + "/CaptureImages/" + captures().front()), ViewController::noDevicePicture()));
}

TEST_F(ViewControllerCaptureTest, TellsWhenThereIsNoSaveRootOrTheSaveFails) {
    startViewer(unusedLoopbackPort(SOCK_STREAM), unusedLoopbackPort(SOCK_DGRAM));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !viewer->currentImage().isNull(); }, kCameraWaitMs));

    bookmark().setSavePath(QString());  // and the panel is cancelled
    EXPECT_EQ(pressCaptureAndReadAlert(), "Get save path failed.");

    bookmark().setSavePath(folder.filePath("Deleted/ZUVA"));
    EXPECT_EQ(pressCaptureAndReadAlert(), "Image save failed.");
    EXPECT_FALSE(QDir(folder.filePath("Deleted")).exists());
}

}  // namespace
