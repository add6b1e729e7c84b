// The capture and record buttons of the live viewer, end to end: deskcam-sim on loopback, the viewer on the
// offscreen platform, a save root in a temporary folder, and the alert read back from the window. Also
// what the teaching tools do to captures and recordings: freeze, mirror and flip, strokes burnt in.

#include "app/ViewController.h"

#include "SendMouse.h"
#include "ServerSocket.h"

#include "MediaProbe.h"
#include "SavingViewerFixture.h"
#include "app/CaptureControl.h"
#include "app/MouseDragView.h"
#include "app/PresenterActions.h"
#include "app/TimeLapseControl.h"
#include "l10n/Localization.h"
#include "viewer/CompareLayout.h"
#include "viewer/DKBookmark.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
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

// The quarters of the simulator's picture in the frames-dir tests: each says where it was sent.
const QColor kTopLeft(0, 0, 200), kTopRight(0, 200, 200), kBottomLeft(200, 200, 200),
    kBottomRight(20, 20, 20);

// Whether a (JPEG- or H.264-blurred) pixel is near colour.
bool near(const QColor &pixel, const QColor &colour) {
    return std::abs(pixel.red() - colour.red()) < 40 && std::abs(pixel.green() - colour.green()) < 40 &&
           std::abs(pixel.blue() - colour.blue()) < 40;
}

// Which quarter's colour a picture has at the centre of each of its quarters: "TL TR BL BR" as sent.
QString quarters(const QImage &picture) {
    const std::pair<QColor, const char *> names[] = {
        {kTopLeft, "TL"}, {kTopRight, "TR"}, {kBottomLeft, "BL"}, {kBottomRight, "BR"}};
    QStringList seen;
    for (const QPoint at : {QPoint(1, 1), QPoint(3, 1), QPoint(1, 3), QPoint(3, 3)}) {
        const QColor pixel = picture.pixelColor(picture.width() * at.x() / 4, picture.height() * at.y() / 4);
        QString name = QStringLiteral("?");
        for (const auto &[colour, label] : names) {
            if (near(pixel, colour)) name = QLatin1String(label);
        }
        seen << name;
    }
    return seen.join(QLatin1Char(' '));
}

class ViewControllerCaptureTest : public SavingViewerFixture {
  protected:
    // Presses the capture button and returns the text of the alert it leaves on the window, dismissing it.
    QString pressCaptureAndReadAlert() {
        viewer->ui().capture_button->click();
        return readAlert();
    }
    QString readAlert() {
        QMessageBox *alert = viewer->findChild<QMessageBox *>();
        if (!alert || !alert->isVisible()) return QStringLiteral("<no alert>");
        EXPECT_EQ(alert->windowModality(), Qt::WindowModal);
        lastIcon = alert->icon();
        const QString text = alert->text();
        alert->buttons().front()->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return text;
    }

    QStringList captures() const {
        return QDir(root + "/CaptureImages").entryList({"image_*.png"}, QDir::Files, QDir::Name);
    }
    // The picture that the capture just made says it saved.
    QImage savedPicture(const QString &alert) const {
        return QImage(alert.section(QString::fromUtf8("："), 1));
    }

    // The simulator sends one 640x360 picture of four coloured quarters, over and over.
    bool startWithQuarters() {
        QImage picture(640, 360, QImage::Format_RGB32);
        QPainter painter(&picture);
        painter.fillRect(0, 0, 320, 180, kTopLeft);
        painter.fillRect(320, 0, 320, 180, kTopRight);
        painter.fillRect(0, 180, 320, 180, kBottomLeft);
        painter.fillRect(320, 180, 320, 180, kBottomRight);
        painter.end();
        if (!frames.isValid() || !picture.save(frames.filePath("quarters.jpg"), "JPEG", 95)) return false;
        if (!simulator.start({"--frames-dir", frames.path(), "--fps", "10"})) return false;
        startViewer(simulator.imagePort(), simulator.commandPort());
        return QTest::qWaitFor([&] { return viewer->shownImageBytes() != nullptr; }, kCameraWaitMs);
    }

    // The pictures of the recording in the save root, once its file is complete (its index is written a
    // moment after the stop); none when there is no recording.
    std::vector<recorder_test::DecodedPicture> recordedPictures() const {
        const QString recording =
            QDir(root + "/RidirOvozev").entryInfoList({"record_*.mp4"}, QDir::Files).value(0).filePath();
        std::vector<recorder_test::DecodedPicture> pictures;
        if (recording.isEmpty()) return pictures;
        const bool complete = QTest::qWaitFor(
            [&] {
                pictures = recorder_test::decodePictures(recording.toStdString());
                return !pictures.empty();
            },
            kCameraWaitMs);
        return complete ? pictures : std::vector<recorder_test::DecodedPicture>{};
    }

    // Dismisses the message a button leaves on the window.
    void dismissAlert() {
        if (QMessageBox *alert = viewer->findChild<QMessageBox *>()) alert->buttons().front()->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QTemporaryDir frames;
    QMessageBox::Icon lastIcon = QMessageBox::NoIcon;  // of the alert readAlert() read
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
    EXPECT_EQ(lastIcon, QMessageBox::Information) << "good news is no warning";
    const QImage decoded = QImage::fromData(onScreen->data(), static_cast<int>(onScreen->size()), "JPEG");
    const QImage written(path, "PNG");
    EXPECT_EQ(written.size(), QSize(640, 360));
    EXPECT_TRUE(samePixels(written, decoded));

    // Presses in quick succession (mostly within one second) keep every still.
    pressCaptureAndReadAlert();
    pressCaptureAndReadAlert();
    EXPECT_EQ(captures().size(), 3);
}

// The no-device picture was saved as a capture and said to be saved: it is the application's picture.
TEST_F(ViewControllerCaptureTest, WithoutACameraPictureThereIsNothingToCaptureAndNoFile) {
    startViewer(unusedLoopbackPort(SOCK_STREAM), unusedLoopbackPort(SOCK_DGRAM));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !viewer->currentImage().isNull(); }, kCameraWaitMs));

    EXPECT_EQ(pressCaptureAndReadAlert(), CaptureControl::nothingToCapture().message);
    EXPECT_EQ(lastIcon, QMessageBox::Warning);
    viewer->ui().capture_drawings_action->trigger();
    EXPECT_EQ(readAlert(), CaptureControl::nothingToCapture().message);
    EXPECT_TRUE(captures().isEmpty());
}

// A recording that ended while the window was closing is told at the next start, once.
TEST_F(ViewControllerCaptureTest, TheNextStartTellsWhereTheLastRunsRecordingWent) {
    ViewerSettings::open()->setValue(QLatin1String(ViewerSettings::kUntoldRecordingEndsKey),
                                     QStringList{QStringLiteral("Record saved in path：/r/record_1.mp4")});
    startViewer(unusedLoopbackPort(SOCK_STREAM), unusedLoopbackPort(SOCK_DGRAM), /*keepSettings=*/true);
    EXPECT_EQ(readAlert(), QStringLiteral("Record saved in path：/r/record_1.mp4"));
    startViewer(unusedLoopbackPort(SOCK_STREAM), unusedLoopbackPort(SOCK_DGRAM), /*keepSettings=*/true);
    EXPECT_EQ(readAlert(), QStringLiteral("<no alert>"));
}

TEST_F(ViewControllerCaptureTest, TellsWhenThereIsNoSaveRootOrTheSaveFails) {
    ASSERT_TRUE(startWithQuarters());

    bookmark().setSavePath(QString());  // and the panel is cancelled
    EXPECT_EQ(pressCaptureAndReadAlert(), "Get save path failed.");

    bookmark().setSavePath(folder.filePath("Deleted/ZUVA"));
    EXPECT_EQ(pressCaptureAndReadAlert(), "Image save failed.");
    EXPECT_FALSE(QDir(folder.filePath("Deleted")).exists());
}

TEST_F(ViewControllerCaptureTest, AFrozenPictureIsTheOneCapturedWhileNewFramesArrive) {
    ASSERT_TRUE(simulator.start({"--size", "640x360", "--fps", "20"}));
    startViewer(simulator.imagePort(), simulator.commandPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->shownImageBytes() != nullptr; }, kCameraWaitMs));

    viewer->ui().freeze_button->click();
    ASSERT_TRUE(viewer->frozen());
    const ImageBytes frozen = viewer->shownImageBytes();
    const std::uint64_t received = receiver->picturesReceived();
    // The test card changes with every frame; the view does not.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return receiver->picturesReceived() >= received + 10; }, kCameraWaitMs));
    EXPECT_NE(receiver->getFirstImageData(), frozen);
    EXPECT_EQ(viewer->shownImageBytes(), frozen);

    const QImage saved = savedPicture(pressCaptureAndReadAlert());
    EXPECT_TRUE(samePixels(saved, QImage::fromData(frozen->data(), int(frozen->size()), "JPEG")));

    viewer->ui().freeze_button->click();  // live again
    EXPECT_FALSE(viewer->frozen());
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer->shownImageBytes() != frozen; }, 1000))
        << "the newest picture follows at once";
}

TEST_F(ViewControllerCaptureTest, MirrorAndFlipReachCapturesAndRecordings) {
    ASSERT_TRUE(startWithQuarters());
    EXPECT_EQ(quarters(savedPicture(pressCaptureAndReadAlert())), "TL TR BL BR");
    viewer->setMirrored(true);
    EXPECT_EQ(quarters(savedPicture(pressCaptureAndReadAlert())), "TR TL BR BL");

    viewer->setFlipped(true);
    viewer->setRecordingMicrophone(false);
    viewer->setStatusOverlayShown(true);
    viewer->ui().record_button->click();
    QTest::qWait(1500);
    EXPECT_TRUE(viewer->statusLines().last().startsWith(QStringLiteral("recording 00:0")))
        << viewer->statusLines().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(viewer->dragView()->recordingBadge().startsWith(QStringLiteral("REC 00:0")))
        << "a recording shows on the picture with the overlay off too";
    viewer->ui().record_button->click();
    dismissAlert();
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer->dragView()->recordingBadge().isEmpty(); }, 2000));
    const std::vector<recorder_test::DecodedPicture> pictures = recordedPictures();
    ASSERT_FALSE(pictures.empty());
    EXPECT_EQ(quarters(pictures.front().picture), "BR BL TR TL");
}

// A stroke drawn right of the centre of the mirrored view lies right of the centre in the capture that
// burns it in, as on screen; the plain capture has the page there.
TEST_F(ViewControllerCaptureTest, ACaptureWithDrawingsHasTheStrokeWhereTheScreenShowedIt) {
    ASSERT_TRUE(startWithQuarters());
    viewer->setMirrored(true);
    viewer->chooseTool(MouseDragView::Tool::Pen);
    MouseDragView *view = viewer->dragView();
    // Fitted: the 640x360 picture as large as the area holds it, centred. A line 100 to 200 picture pixels
    // right of the centre, 90 above it, on the top-right quarter as shown (the top-left one as sent).
    const double zoom = std::min(view->height() / 360.0, view->width() / 640.0);
    const QPointF centre = QRectF(view->rect()).center();
    sendMouse(view, QEvent::MouseButtonPress, centre + QPointF(100, -90) * zoom, Qt::LeftButton);
    for (int step = 1; step <= 10; ++step)
        sendMouse(view, QEvent::MouseMove, centre + QPointF(100 + 10 * step, -90) * zoom, Qt::LeftButton);
    sendMouse(view, QEvent::MouseButtonRelease, centre + QPointF(200, -90) * zoom, Qt::NoButton);
    ASSERT_EQ(view->drawingSheet().strokes().size(), 1u);

    const QColor ink = view->inkColour(MouseDragView::Tool::Pen);
    viewer->ui().capture_drawings_action->trigger();
    const QImage burnt = savedPicture(readAlert());
    const QImage plain = savedPicture(pressCaptureAndReadAlert());
    ASSERT_EQ(burnt.size(), QSize(640, 360));
    ASSERT_EQ(plain.size(), QSize(640, 360));
    for (int x = 320 + 110; x <= 320 + 190; x += 20) {
        EXPECT_TRUE(near(burnt.pixelColor(x, 90), ink)) << "x " << x;
        EXPECT_TRUE(near(plain.pixelColor(x, 90), kTopLeft)) << "x " << x;
    }
    EXPECT_TRUE(near(burnt.pixelColor(320 + 150, 120), kTopLeft)) << "the stroke is no wider than the pen";
    EXPECT_TRUE(near(burnt.pixelColor(320 - 150, 90), kTopRight)) << "nothing on the other side";
}

// Another program gets the picture as the room sees it: mirrored and turned as shown. Without a camera
// picture the clipboard keeps what it had.
TEST_F(ViewControllerCaptureTest, CopyPutsThePictureAsShownOnTheClipboard) {
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    startViewer(unusedLoopbackPort(SOCK_STREAM), unusedLoopbackPort(SOCK_DGRAM));
    viewer->copyPicture();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    EXPECT_EQ(viewer->notice().text(), Localization::shared().text(QStringLiteral("copy_nothing")));
    viewer.reset();

    ASSERT_TRUE(startWithQuarters());
    viewer->setMirrored(true);
    viewer->ui().right_rotate_button->click();  // a quarter turn clockwise
    viewer->copyPicture();
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(360, 640));
    // Mirrored, the top-right quarter shows top left; turned right, the bottom-left one comes to the top.
    const std::pair<QPoint, QColor> corners[] = {
        {{20, 20}, kBottomRight}, {{340, 20}, kTopRight}, {{20, 620}, kBottomLeft}, {{340, 620}, kTopLeft}};
    for (const auto &[point, colour] : corners) {
        EXPECT_TRUE(near(copied.pixelColor(point), colour)) << point.x() << "," << point.y();
    }
    EXPECT_TRUE(viewer->notice().isVisible());
    EXPECT_TRUE(viewer->notice().text().contains(QStringLiteral("360")));
}

// The window's time-lapse: numbered pictures of what a capture would save, then their film and a summary;
// without a camera picture the moments are counted and nothing is left behind.
TEST_F(ViewControllerCaptureTest, ATimeLapseSavesNumberedPicturesAndTheirFilm) {
    ASSERT_TRUE(startWithQuarters());
    viewer->setMirrored(true);
    QSignalSpy finished(&viewer->presenter().timeLapse(), &TimeLapseControl::finished);
    ASSERT_TRUE(viewer->presenter().startTimeLapse({std::chrono::seconds(1), 3}));
    EXPECT_EQ(viewer->ui().timelapse_action->text(), Localization::shared().text("timelapse_stop"));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(finished.front().at(1).toBool()) << finished.front().at(0).toString().toStdString();

    const QStringList folders = QDir(root + "/CaptureImages").entryList({"timelapse_*"}, QDir::Dirs);
    ASSERT_EQ(folders.size(), 1);
    const QDir folder(root + "/CaptureImages/" + folders.front());
    EXPECT_EQ(folder.entryList(QDir::Files, QDir::Name), (QStringList{"0001.png", "0002.png", "0003.png"}));
    EXPECT_TRUE(near(QImage(folder.filePath("0003.png")).pixelColor(10, 10), kTopRight))
        << "mirrored as shown";
    const QString film = root + "/RidirOvozev/" + folders.front() + ".mp4";
    EXPECT_EQ(recorder_test::decodePictures(film.toStdString()).size(), 3u);
    EXPECT_EQ(readAlert(), finished.front().at(0).toString());
    EXPECT_EQ(lastIcon, QMessageBox::Information);
    EXPECT_EQ(viewer->ui().timelapse_action->text(), Localization::shared().text("timelapse_start"));
}

TEST_F(ViewControllerCaptureTest, ATimeLapseWithoutACameraCountsTheMomentsAndLeavesNothing) {
    startViewer(unusedLoopbackPort(SOCK_STREAM), unusedLoopbackPort(SOCK_DGRAM));
    ASSERT_TRUE(viewer->presenter().startTimeLapse({std::chrono::seconds(1), 2}));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return viewer->presenter().timeLapse().progress().missed >= 2; }, 5000));
    EXPECT_EQ(viewer->presenter().timeLapseLine(),
              Localization::shared().text("timelapse_progress").arg(0).arg(2));
    QSignalSpy finished(&viewer->presenter().timeLapse(), &TimeLapseControl::finished);
    viewer->ui().timelapse_action->trigger();  // stops it
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(finished.front().at(0).toString(), Localization::shared().text("timelapse_nothing"));
    EXPECT_TRUE(QDir(root + "/CaptureImages").entryList({"timelapse_*"}, QDir::Dirs).isEmpty());
}

// The record menu pauses a recording: the badge says so, and the file leaves the pause out.
TEST_F(ViewControllerCaptureTest, TheRecordMenuPausesARecordingAndTheFileLeavesThePauseOut) {
    ASSERT_TRUE(startWithQuarters());
    viewer->setRecordingMicrophone(false);
    EXPECT_FALSE(viewer->ui().pause_action->isEnabled());
    viewer->ui().record_button->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->ui().pause_action->isEnabled(); }, kCameraWaitMs));
    QTest::qWait(1000);
    viewer->ui().pause_action->trigger();
    EXPECT_EQ(viewer->ui().pause_action->text(), Localization::shared().text("record_resume"));
    EXPECT_TRUE(viewer->dragView()->recordingBadge().endsWith(Localization::shared().text("overlay_paused")));
    QTest::qWait(1500);
    viewer->ui().pause_action->trigger();
    EXPECT_EQ(viewer->ui().pause_action->text(), Localization::shared().text("record_pause"));
    QTest::qWait(1000);
    viewer->ui().record_button->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !viewer->ui().pause_action->isEnabled(); }, kCameraWaitMs));
    dismissAlert();
    const QString recording =
        QDir(root + "/RidirOvozev").entryInfoList({"record_*.mp4"}, QDir::Files).value(0).filePath();
    ASSERT_FALSE(recording.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return recorder_test::probeFile(recording.toStdString()).duration > 0; }, kCameraWaitMs));
    // About 2 s recorded around 1.5 s of pause.
    const double duration = recorder_test::probeFile(recording.toStdString()).duration;
    EXPECT_GT(duration, 1.5);
    EXPECT_LT(duration, 3.0);
}

// The whiteboard stands in for the camera picture: the camera runs on behind it, the page has its own
// strokes, and captures and recordings take the page.
TEST_F(ViewControllerCaptureTest, TheWhiteboardReplacesThePictureForDrawingCapturesAndRecordings) {
    ASSERT_TRUE(startWithQuarters());
    viewer->chooseTool(MouseDragView::Tool::Pen);
    MouseDragView *view = viewer->dragView();
    const QPointF centre = QRectF(view->rect()).center();
    const auto stroke = [&] {
        sendMouse(view, QEvent::MouseButtonPress, centre, Qt::LeftButton);
        for (int step = 1; step <= 10; ++step)
            sendMouse(view, QEvent::MouseMove, centre + QPointF(8 * step, 0), Qt::LeftButton);
        sendMouse(view, QEvent::MouseButtonRelease, centre + QPointF(80, 0), Qt::NoButton);
    };
    stroke();
    ASSERT_EQ(view->drawingSheet().strokes().size(), 1u);

    viewer->ui().whiteboard_action->trigger();
    EXPECT_TRUE(viewer->ui().whiteboard_action->isChecked());
    EXPECT_TRUE(view->drawingSheet().isEmpty()) << "the camera's strokes stay with the camera";
    const std::uint64_t received = viewer->receiver().picturesReceived();
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->receiver().picturesReceived() > received + 3; }, 5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(view->image().size(), QSize(640, 360));
    EXPECT_EQ(view->image().pixelColor(10, 10), QColor(Qt::white)) << "a camera picture replaced the page";
    stroke();
    const QImage plain = savedPicture(pressCaptureAndReadAlert());
    viewer->ui().capture_drawings_action->trigger();
    const QImage drawn = savedPicture(readAlert());
    EXPECT_EQ(plain.pixelColor(320 + 40, 180), QColor(Qt::white));
    EXPECT_NE(drawn.pixelColor(320 + 40, 180), QColor(Qt::white))
        << "the page's stroke is not in the capture";

    viewer->setRecordingMicrophone(false);
    viewer->ui().record_button->click();
    QTest::qWait(1500);
    viewer->ui().record_button->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !viewer->ui().pause_action->isEnabled(); }, kCameraWaitMs));
    dismissAlert();
    const std::vector<recorder_test::DecodedPicture> pictures = recordedPictures();
    ASSERT_FALSE(pictures.empty());
    EXPECT_GT(qGray(pictures.back().picture.pixel(2, 2)), 240) << "the recording did not take the page";

    viewer->ui().whiteboard_action->trigger();
    EXPECT_EQ(view->drawingSheet().strokes().size(), 1u) << "the camera's stroke came back";
    EXPECT_TRUE(QTest::qWaitFor([&] { return near(view->image().pixelColor(10, 10), kTopLeft); }, 5000));
}

// Every capture and every freeze is a still of the run; each shows again frozen with its own strokes, and
// the freeze button brings the live picture back with the camera's.
TEST_F(ViewControllerCaptureTest, TheStillsStripHoldsEachCaptureAndFreezeWithItsOwnStrokes) {
    ASSERT_TRUE(startWithQuarters());
    viewer->chooseTool(MouseDragView::Tool::Pen);
    MouseDragView *view = viewer->dragView();
    const QPointF centre = QRectF(view->rect()).center();
    const auto stroke = [&](double dy) {
        sendMouse(view, QEvent::MouseButtonPress, centre + QPointF(0, dy), Qt::LeftButton);
        sendMouse(view, QEvent::MouseMove, centre + QPointF(60, dy), Qt::LeftButton);
        sendMouse(view, QEvent::MouseButtonRelease, centre + QPointF(60, dy), Qt::NoButton);
    };
    const PresenterActions &presenter = viewer->presenter();
    pressCaptureAndReadAlert();
    stroke(0);
    viewer->ui().freeze_button->click();
    viewer->ui().freeze_button->click();  // live again
    ASSERT_EQ(presenter.stills().size(), 2u);
    EXPECT_TRUE(presenter.stills().at(0).strokes.isEmpty());
    EXPECT_EQ(presenter.stills().at(1).strokes.strokes().size(), 1u);

    viewer->ui().stills_action->trigger();
    EXPECT_TRUE(presenter.stillsStrip().isVisible());
    EXPECT_EQ(presenter.stillsStrip().count(), 3) << "Live and two stills";
    viewer->presenter().showStill(0);
    EXPECT_TRUE(viewer->ui().freeze_button->isChecked()) << "a still shows frozen";
    EXPECT_TRUE(view->drawingSheet().isEmpty());
    EXPECT_TRUE(near(view->image().pixelColor(10, 10), kTopLeft));
    stroke(40);
    stroke(80);
    QTest::keyClick(view, Qt::Key_Right);
    EXPECT_EQ(presenter.shownStill(), std::optional<std::size_t>(1));
    EXPECT_EQ(view->drawingSheet().strokes().size(), 1u) << "the freeze's stroke";
    QTest::keyClick(view, Qt::Key_Left);
    EXPECT_EQ(view->drawingSheet().strokes().size(), 2u) << "the strokes drawn on the first still";

    viewer->ui().freeze_button->click();
    EXPECT_FALSE(presenter.shownStill());
    EXPECT_FALSE(viewer->ui().freeze_button->isChecked());
    EXPECT_EQ(view->drawingSheet().strokes().size(), 1u) << "the camera picture's stroke came back";
}

// Compare puts the live picture (mirrored as it is shown) beside a still, and a capture holds both.
TEST_F(ViewControllerCaptureTest, CompareShowsTheLivePictureBesideAStillAndCapturesBoth) {
    ASSERT_TRUE(startWithQuarters());
    viewer->ui().compare_action->trigger();
    EXPECT_FALSE(viewer->ui().compare_action->isChecked()) << "no still to compare with";
    pressCaptureAndReadAlert();  // the still: the quarters as sent
    viewer->setMirrored(true);
    viewer->ui().compare_action->trigger();
    MouseDragView *view = viewer->dragView();
    ASSERT_FALSE(view->comparison().isNull());

    const QImage both = savedPicture(pressCaptureAndReadAlert());
    const auto [left, right] = CompareLayout::parts(QSizeF(view->size()), view->divider());
    const double scale = 360 / CompareLayout::fitted({640, 360}, left).height();
    const QRectF live = CompareLayout::fitted({640, 360}, left),
                 still = CompareLayout::fitted({640, 360}, right);
    const auto at = [&](const QRectF &part, double x, double y) {
        return both.pixelColor(
            (QPointF(part.left() + x * part.width(), part.top() + y * part.height()) * scale).toPoint());
    };
    EXPECT_TRUE(near(at(live, 0.1, 0.1), kTopRight)) << "the live part is mirrored as shown";
    EXPECT_TRUE(near(at(still, 0.1, 0.1), kTopLeft));
    EXPECT_TRUE(near(at(still, 0.9, 0.9), kBottomRight));
    const QImage screen = view->grab().toImage();
    const auto shownAt = [&](const QRectF &part, double x, double y) {
        return screen.pixelColor(
            QPointF(part.left() + x * part.width(), part.top() + y * part.height()).toPoint());
    };
    EXPECT_TRUE(near(shownAt(live, 0.1, 0.1), kTopRight)) << "the view shows the live part mirrored";
    EXPECT_TRUE(near(shownAt(live, 0.9, 0.9), kBottomLeft));
    EXPECT_TRUE(near(shownAt(still, 0.1, 0.1), kTopLeft));

    // The divider moves with a drag from it.
    const double x = view->width() * view->divider();
    sendMouse(view, QEvent::MouseButtonPress, {x, 100}, Qt::LeftButton);
    sendMouse(view, QEvent::MouseMove, {x - 100, 100}, Qt::LeftButton);
    sendMouse(view, QEvent::MouseButtonRelease, {x - 100, 100}, Qt::NoButton);
    EXPECT_NEAR(view->divider(), (x - 100) / view->width(), 1e-9);
    viewer->ui().compare_action->trigger();
    EXPECT_TRUE(view->comparison().isNull());
}

}  // namespace
