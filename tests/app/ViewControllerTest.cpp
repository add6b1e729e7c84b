#include "app/ViewController.h"

#include "SendMouse.h"
#include "ServerSocket.h"

#include "ViewerTestFixture.h"
#include "app/MouseDragView.h"
#include "library/LibraryViewController.h"
#include "viewer/UndecodableDump.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

constexpr int kCameraWaitMs = 8000;

QString documentsFile(const char *name) {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
        .filePath(QString::fromLatin1(name));
}

class ViewControllerTest : public ViewerTestFixture {
  protected:
    void startWithoutCamera() {
        startViewer(unusedLoopbackPort(SOCK_STREAM), unusedLoopbackPort(SOCK_DGRAM));
    }

    // Starts the simulator and the viewer, and waits for the first camera picture and the filled menu.
    bool startWithCamera(const QStringList &simulatorOptions = {}) {
        if (!simulator.start(simulatorOptions)) return false;
        startViewer(simulator.imagePort(), simulator.commandPort());
        return QTest::qWaitFor([&] { return viewer->shownImageBytes() && menu()->count() == 3; },
                               kCameraWaitMs);
    }

    bool showsNoDevicePicture() const { return viewer->currentImage() == ViewController::noDevicePicture(); }
    QSize shownSize() const { return viewer->currentImage().size(); }
    QComboBox *menu() const { return viewer->ui().ctrl_resolve_list; }
    const DisplayGeometry &geometry() const { return viewer->displayGeometry(); }
    double areaHeight() const { return viewer->dragView()->height(); }
    // Fit's zoom for an upright picture: the whole of it inside the display area.
    double fitZoom(QSizeF picture) const {
        return std::min(areaHeight() / picture.height(), viewer->dragView()->width() / picture.width());
    }
    QPointF areaCentre() const { return QRectF(viewer->dragView()->rect()).center(); }

    // Waits until count more camera pictures have been set on the view.
    bool waitForPictures(int count) {
        int shown = 0;
        const auto connection = QObject::connect(viewer.get(), &ViewController::imageShown, [&] { ++shown; });
        const bool arrived = QTest::qWaitFor([&] { return shown >= count; }, kCameraWaitMs);
        QObject::disconnect(connection);
        return arrived;
    }
};

TEST_F(ViewControllerTest, WithoutACameraShowsTheNoDevicePictureAtOneToOneAndRetriesEveryThreeSeconds) {
    QElapsedTimer clock;
    clock.start();
    startWithoutCamera();
    EXPECT_EQ(menu()->count(), 1);
    EXPECT_EQ(menu()->itemText(0), QStringLiteral(" "));
    // One attempt right away (timed before the first paint, which may take a while on a loaded machine),
    // then one about every 3 seconds (1 s waiting for pictures, 2 s pause).
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->reconnectionCount() == 1; }, 2000));
    const qint64 first = clock.elapsed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return showsNoDevicePicture(); }, 2000));
    EXPECT_EQ(viewer->currentViewSize(), QSizeF(ViewController::noDevicePicture().size()));
    EXPECT_EQ(geometry().zoom(), 1.0);
    EXPECT_EQ(viewer->ui().ns_slider_zoom->doubleValue(), 1.0);
    EXPECT_EQ(viewer->ui().scale_label->text(), QStringLiteral("Scale: 1.0x"));
    EXPECT_EQ(geometry().dragSurfaceFrame().center(), areaCentre());
    // Over the picture, not in it: which camera is looked for.
    EXPECT_TRUE(viewer->dragView()->note().contains(QStringLiteral("127.0.0.1")));
    EXPECT_TRUE(viewer->dragView()->note().contains(QString::number(receiver->server_port())));

    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->reconnectionCount() == 2; }, 5000));
    const qint64 second = clock.elapsed();
    EXPECT_GE(second - first, 2900);
    EXPECT_LE(second - first, 3800);
    EXPECT_EQ(menu()->count(), 1);
    EXPECT_EQ(viewer->commandSocket(), nullptr);
    EXPECT_TRUE(showsNoDevicePicture());
}

TEST_F(ViewControllerTest, ACameraLeadsToOneReconnectionTheCommandChannelAndAFilledMenu) {
    ASSERT_TRUE(startWithCamera());
    EXPECT_EQ(shownSize(), QSize(1920, 1080));
    EXPECT_EQ(viewer->currentViewSize(), QSizeF(1920, 1080));
    ASSERT_NE(viewer->commandSocket(), nullptr);
    EXPECT_EQ(menu()->itemText(0), QStringLiteral("1920*1080"));
    EXPECT_EQ(menu()->itemText(1), QStringLiteral("1280*720"));
    EXPECT_EQ(menu()->itemText(2), QStringLiteral("640*480"));
    EXPECT_EQ(menu()->currentText(), QStringLiteral("1920*1080"));
    EXPECT_TRUE(viewer->dragView()->note().isEmpty()) << "the camera is found";
    // Fitted: all of it inside the display area.
    EXPECT_DOUBLE_EQ(geometry().zoom(), fitZoom({1920, 1080}));
    EXPECT_EQ(viewer->ui().scale_label->text(), DisplayGeometry::scaleText(fitZoom({1920, 1080})));
    ASSERT_TRUE(waitForPictures(25));
    EXPECT_EQ(viewer->reconnectionCount(), 1);
}

TEST_F(ViewControllerTest, ANewSizeRelayoutsKeepingTheSlidersTurnAndSelectsItsEntry) {
    ASSERT_TRUE(startWithCamera());
    viewer->ui().ns_slider_rotate->setValue(450);  // as the user drags it: 45 degrees
    EXPECT_EQ(geometry().rotation(), 315);
    sendMouse(viewer->dragView(), QEvent::MouseButtonPress, QPointF(100, 100), Qt::LeftButton);
    sendMouse(viewer->dragView(), QEvent::MouseMove, QPointF(160, 140), Qt::LeftButton);

    menu()->setCurrentIndex(1);
    emit menu()->activated(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownSize() == QSize(1280, 720); }, kCameraWaitMs));
    EXPECT_EQ(viewer->currentViewSize(), QSizeF(1280, 720));
    EXPECT_EQ(viewer->ui().ns_slider_rotate->doubleValue(), 45.0);
    EXPECT_EQ(geometry().rotation(), 315);
    const double turnedHeight = (1280 + 720) * std::sqrt(0.5);
    EXPECT_NEAR(geometry().zoom(), areaHeight() / turnedHeight, 1e-9);
    EXPECT_NEAR(viewer->ui().ns_slider_zoom->doubleValue(), areaHeight() / turnedHeight, 0.005);
    EXPECT_EQ(geometry().dragSurfaceFrame().center(), areaCentre());
    EXPECT_TRUE(QTest::qWaitFor([&] { return menu()->currentText() == QStringLiteral("1280*720"); }, 2000));
}

// A refused change only snapped the menu back; now the window says so.
TEST_F(ViewControllerTest, ARefusedResolutionChangeIsTold) {
    ASSERT_TRUE(startWithCamera({"--refuse-set"}));
    menu()->setCurrentIndex(2);
    emit menu()->activated(2);
    QMessageBox *alert = nullptr;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return (alert = viewer->findChild<QMessageBox *>()) != nullptr; }, 5000));
    EXPECT_TRUE(alert->text().contains(QStringLiteral("refused to change to 640×480")))
        << alert->text().toStdString();
    EXPECT_EQ(shownSize(), QSize(1920, 1080));
}

TEST_F(ViewControllerTest, OnlyAPickInTheOpenedMenuSendsACommand) {
    ASSERT_TRUE(startWithCamera());
    const int chosen = menu()->currentIndex();
    QTest::qWait(200);
    simulator.takeLog();

    QWheelEvent notch(QPointF(10, 10), menu()->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(menu(), &notch);
    menu()->setFocus();
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_End, Qt::Key_PageUp, Qt::Key_6}) {
        QTest::keyClick(menu(), key);
        menu()->hidePopup();
    }
    QTest::qWait(500);
    EXPECT_EQ(menu()->currentIndex(), chosen);
    EXPECT_FALSE(simulator.takeLog().contains("command request"));

    // A pick in the opened list is a choice.
    menu()->showPopup();
    QAbstractItemView *list = menu()->view();
    const QRect entry = list->visualRect(list->model()->index(2, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, entry.center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return shownSize() == QSize(640, 480); }, kCameraWaitMs));
    EXPECT_TRUE(simulator.takeLog().contains("command: streaming 640x480"));
}

TEST_F(ViewControllerTest, MorePicturesOfTheSameSizeKeepTheUsersZoomTurnAndPan) {
    ASSERT_TRUE(startWithCamera());
    viewer->ui().ns_slider_zoom->setValue(170);  // as the user drags it: 1.7
    viewer->ui().right_rotate_button->click();
    sendMouse(viewer->dragView(), QEvent::MouseButtonPress, QPointF(400, 300), Qt::LeftButton);
    sendMouse(viewer->dragView(), QEvent::MouseMove, QPointF(430, 280), Qt::LeftButton);
    sendMouse(viewer->dragView(), QEvent::MouseButtonRelease, QPointF(430, 280), Qt::NoButton);
    const QRectF dragged = geometry().dragSurfaceFrame();
    EXPECT_EQ(dragged.center(), areaCentre() + QPointF(30, -20));
    EXPECT_EQ(geometry().zoom(), 1.7);
    EXPECT_EQ(viewer->ui().scale_label->text(), QStringLiteral("Scale: 1.7x"));
    const ImageBytes before = viewer->shownImageBytes();

    ASSERT_TRUE(waitForPictures(5));
    EXPECT_NE(viewer->shownImageBytes(), before);
    EXPECT_EQ(geometry().zoom(), 1.7);
    EXPECT_EQ(geometry().rotation(), 270);
    EXPECT_EQ(viewer->ui().ns_slider_rotate->doubleValue(), 90.0);
    EXPECT_EQ(geometry().dragSurfaceFrame(), dragged);

    viewer->ui().suitable_button->click();  // fit brings the picture back to the centre
    EXPECT_EQ(geometry().dragSurfaceFrame().center(), areaCentre());
    EXPECT_DOUBLE_EQ(geometry().zoom(), areaHeight() / 1920);
}

TEST_F(ViewControllerTest, ACameraThatStopsBringsBackTheNoDevicePictureAndRetriesEveryThreeSeconds) {
    ASSERT_TRUE(startWithCamera());
    QElapsedTimer clock;
    clock.start();
    simulator.stop();
    // Silent for more than 3 whole seconds of the wall clock: between 3 and 4 s after the last picture.
    ASSERT_TRUE(QTest::qWaitFor([&] { return showsNoDevicePicture(); }, 6000));
    EXPECT_GE(clock.elapsed(), 2900);
    EXPECT_LE(clock.elapsed(), 5000);
    EXPECT_EQ(viewer->currentViewSize(), QSizeF(ViewController::noDevicePicture().size()));
    EXPECT_EQ(geometry().zoom(), 1.0);
    EXPECT_EQ(menu()->currentIndex(), 0) << "the menu keeps the camera's list";

    const int attempts = viewer->reconnectionCount();
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->reconnectionCount() == attempts + 1; }, 5000));
    const qint64 next = clock.elapsed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->reconnectionCount() == attempts + 2; }, 5000));
    EXPECT_GE(clock.elapsed() - next, 2900);
    EXPECT_LE(clock.elapsed() - next, 3800);
    EXPECT_TRUE(showsNoDevicePicture());
}

// The command channel's rebuilds and retries (a late command service, pictures after the first
// reconnection gave up, a list that never comes) are CommandChannelKeeper's unit tests.

TEST_F(ViewControllerTest, AnUndecodablePictureIsKeptAsideAndThePreviousOneStays) {
    QTemporaryDir frames;
    ASSERT_TRUE(frames.isValid());
    QImage good(320, 240, QImage::Format_RGB32);
    good.fill(QColor(20, 140, 220));
    // Two good pictures a second apart before the bad one: whichever the viewer shows first (it shows only
    // the newest), a good one is on screen when the bad one comes.
    ASSERT_TRUE(good.save(QDir(frames.path()).filePath(QStringLiteral("1.jpg")), "JPEG", 95));
    ASSERT_TRUE(good.save(QDir(frames.path()).filePath(QStringLiteral("2.jpg")), "JPEG", 95));
    QFile bad(QDir(frames.path()).filePath(QStringLiteral("3.jpg")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    const QByteArray garbage(5000, 'x');
    bad.write(garbage);
    bad.close();
    // A file of the user's under the name the dump once had stays as it is.
    QFile planted(documentsFile("foo.png"));
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.write("the user's own picture");
    planted.close();
    const QDir dumps(UndecodableDump().folder());
    QDir(dumps).removeRecursively();

    // The good pictures, then the bad one, then silence (the connection stays open).
    ASSERT_TRUE(simulator.start({"--frames-dir", frames.path(), "--fps", "1", "--stall-after", "3"}));
    startViewer(simulator.imagePort(), simulator.commandPort());
    const auto kept = [&] { return dumps.entryInfoList(QDir::Files); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return !kept().isEmpty() && kept().front().size() == garbage.size(); },
                                kCameraWaitMs));
    QFile dumped(kept().front().filePath());
    ASSERT_TRUE(dumped.open(QIODevice::ReadOnly));
    EXPECT_EQ(dumped.readAll(), garbage);
    ASSERT_TRUE(planted.open(QIODevice::ReadOnly));
    EXPECT_EQ(planted.readAll(), QByteArray("the user's own picture"));
    const QImage expected(QDir(frames.path()).filePath(QStringLiteral("1.jpg")));
    EXPECT_EQ(viewer->currentImage().convertToFormat(QImage::Format_RGB32),
              expected.convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(viewer->currentViewSize(), QSizeF(320, 240));
}

TEST_F(ViewControllerTest, AResizeOfTheViewerOrTheLibraryWindowFitsThePictureAgain) {
    startWithoutCamera();
    ASSERT_TRUE(QTest::qWaitFor([&] { return showsNoDevicePicture(); }, 2000));
    const double fit = fitZoom(ViewController::noDevicePicture().size());
    viewer->ui().actual_1_1_button->click();
    sendMouse(viewer->dragView(), QEvent::MouseButtonPress, QPointF(100, 100), Qt::LeftButton);
    sendMouse(viewer->dragView(), QEvent::MouseMove, QPointF(160, 140), Qt::LeftButton);
    sendMouse(viewer->dragView(), QEvent::MouseButtonRelease, QPointF(160, 140), Qt::NoButton);
    const QRectF dragged = geometry().dragSurfaceFrame();

    // Tooltips and alerts are windows of their own that size themselves as they appear.
    viewer->alertMessage(QStringLiteral("Image saved in path\uFF1A%1").arg(QString(300, QChar('x'))));
    QToolTip::showText(viewer->mapToGlobal(QPoint(20, 20)), QStringLiteral("A short tip"), viewer.get());
    QTest::qWait(100);
    QToolTip::showText(viewer->mapToGlobal(QPoint(40, 40)), QString(80, QChar('y')), viewer.get());
    QTest::qWait(300);
    EXPECT_EQ(geometry().zoom(), 1.0);
    EXPECT_EQ(geometry().dragSurfaceFrame(), dragged);
    QToolTip::hideText();

    QTemporaryDir settings;
    DKBookmark noSaveRoot(
        std::make_unique<QSettings>(settings.filePath(QStringLiteral("s.ini")), QSettings::IniFormat),
        [] { return QString(); });
    LibraryViewController library(noSaveRoot, {[] { return QString(); }, [](const QUrl &) { return true; }});
    library.resize(600, 400);
    library.show();
    QTest::qWait(100);
    library.resize(700, 500);
    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry().zoom() == fit; }, 2000));
    EXPECT_EQ(geometry().dragSurfaceFrame().center(), areaCentre());

    viewer->ui().ns_slider_zoom->setValue(150);
    viewer->resize(1000, 700);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return geometry().zoom() == fitZoom(ViewController::noDevicePicture().size()); }, 2000));
    EXPECT_EQ(areaHeight(), 700 - ViewControllerLayout::kStripHeight);
    EXPECT_EQ(geometry().dragSurfaceFrame().center(), areaCentre());
}

TEST_F(ViewControllerTest, ToolButtonsTurnStraightenAndShowOneToOne) {
    startWithoutCamera();
    ASSERT_TRUE(QTest::qWaitFor([&] { return showsNoDevicePicture(); }, 2000));
    const auto &ui = viewer->ui();
    ui.left_rotate_button->click();
    EXPECT_EQ(geometry().rotation(), 90);
    EXPECT_EQ(ui.ns_slider_rotate->doubleValue(), 270.0);
    ui.left_rotate_button->click();
    EXPECT_EQ(geometry().rotation(), 180);
    ui.ns_slider_rotate->delegate()->delegate_reset_rotate();
    EXPECT_EQ(geometry().rotation(), 0);
    EXPECT_EQ(ui.ns_slider_rotate->doubleValue(), 0.0);

    ui.ns_slider_rotate->setValue(450);
    ui.ns_slider_zoom->setValue(60);
    ui.actual_1_1_button->click();
    EXPECT_EQ(geometry().rotation(), 315);
    EXPECT_EQ(geometry().zoom(), 1.0);
    EXPECT_EQ(ui.scale_label->text(), QStringLiteral("Scale: 1.0x"));
}

// The scan's page strip takes room from the display area: a fitted picture is fitted again, a zoom the
// user chose stays.
TEST_F(ViewControllerTest, AFittedPictureStaysWholeWhenThePageStripComes) {
    startWithoutCamera();
    ASSERT_TRUE(QTest::qWaitFor([&] { return showsNoDevicePicture(); }, 2000));
    const auto &ui = viewer->ui();
    const QSizeF picture(shownSize());
    ui.suitable_button->click();
    const double tall = areaHeight();
    ui.scan_button->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return areaHeight() < tall; }, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::abs(geometry().zoom() - fitZoom(picture)) < 1e-6; }, 2000))
        << geometry().zoom() << " against " << fitZoom(picture);

    ui.scan_button->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return areaHeight() == tall; }, 2000));
    ui.ns_slider_zoom->setValue(150);
    const double chosen = geometry().zoom();
    const QSize window = viewer->size();
    ui.scan_button->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return areaHeight() < tall; }, 2000));
    QCoreApplication::processEvents();
    EXPECT_EQ(viewer->size(), window);
    EXPECT_EQ(geometry().zoom(), chosen);
}

TEST_F(ViewControllerTest, ShortcutsWorkAndTooltipsNameThem) {
    startWithoutCamera();
    ASSERT_TRUE(QTest::qWaitFor([&] { return showsNoDevicePicture(); }, 2000));
    const auto &ui = viewer->ui();
    EXPECT_EQ(ui.left_rotate_button->toolTip(), QStringLiteral("Turn left (Ctrl+L)"));
    EXPECT_EQ(ui.record_button->toolTip(), QStringLiteral("Start recording (Ctrl+Shift+R)"));
    EXPECT_EQ(ui.capture_button->toolTip(),
              QStringLiteral("Capture picture (Ctrl+S) — Copy picture (Ctrl+C)\n"
                             "Capture picture with drawings (Ctrl+Shift+S)"));
    EXPECT_TRUE(ui.max_window_button->toolTip().contains(QStringLiteral("F11")));

    viewer->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(viewer.get()));
    // Buttons answer their shortcut with an animated click, which ends a moment later.
    QTest::keyClick(viewer.get(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry().rotation() == 270; }, 1000));
    QTest::keyClick(viewer.get(), Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(geometry().zoom(), 0.9);
    QTest::keyClick(viewer.get(), Qt::Key_Equal, Qt::ControlModifier);
    QTest::keyClick(viewer.get(), Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(geometry().zoom(), 1.1);
    EXPECT_EQ(ui.scale_label->text(), QStringLiteral("Scale: 1.1x"));
    QTest::keyClick(viewer.get(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry().zoom() == 1.0; }, 1000));
}

TEST_F(ViewControllerTest, CloseWindowClearsThePictureAndEndsTheEventLoop) {
    startWithoutCamera();
    ASSERT_TRUE(QTest::qWaitFor([&] { return showsNoDevicePicture(); }, 2000));
    QTimer::singleShot(0, viewer.get(), &ViewController::closeWindow);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(viewer->currentImage().isNull());
}

// The bound for a quit without a recording. Typically a few milliseconds; the bound stays far
// above that so a loaded machine does not fail it.
constexpr qint64 kQuitBoundMs = 300;

TEST_F(ViewControllerTest, QuitDoesNotSitOutTheWaitForPictures) {
    startWithoutCamera();
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->reconnectionCount() == 1; }, 2000));
    QTest::qWait(150);  // the worker now waits a second for pictures after reconnecting
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(0, viewer.get(), &ViewController::closeWindow);
    EXPECT_EQ(QApplication::exec(), 0);
    viewer.reset();
    EXPECT_LE(clock.elapsed(), kQuitBoundMs);
}

TEST_F(ViewControllerTest, TeachingToolsAnswerTheirKeysAndTooltipsNameThem) {
    startWithoutCamera();
    ASSERT_TRUE(QTest::qWaitFor([&] { return showsNoDevicePicture(); }, 2000));
    const auto &ui = viewer->ui();
    EXPECT_EQ(ui.freeze_button->toolTip(),
              QStringLiteral("Freeze the picture; a recording goes on with the live picture (Space)"));
    EXPECT_EQ(ui.orientation_button->toolTip(),
              QStringLiteral("Mirror left–right (H)\nFlip top–bottom (V)\nStatus overlay (Ctrl+I)"));
    for (const char *entry : {"Pen (P)", "Highlighter (M)", "Eraser (E)", "Undo last stroke (Ctrl+Z)",
                              "Clear drawings (Del)", "(Esc)"}) {
        EXPECT_TRUE(ui.draw_button->toolTip().contains(QLatin1String(entry))) << entry;
    }
    EXPECT_FALSE(viewer->statusOverlayShown()) << "off by default";

    viewer->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(viewer.get()));
    const MouseDragView *view = viewer->dragView();
    QTest::keyClick(viewer.get(), Qt::Key_P);
    EXPECT_EQ(view->tool(), MouseDragView::Tool::Pen);
    EXPECT_TRUE(ui.draw_button->isChecked());
    const auto checkedInk = [&] { return ui.colour_actions->checkedAction()->text(); };
    EXPECT_EQ(checkedInk(), QStringLiteral("Red"));
    EXPECT_EQ(ui.ink_heading_action->text(), QStringLiteral("Colour of the pen"));
    QTest::keyClick(viewer.get(), Qt::Key_M);
    EXPECT_EQ(view->tool(), MouseDragView::Tool::Highlighter);
    EXPECT_EQ(checkedInk(), QStringLiteral("Yellow")) << "each tool keeps its own ink";
    EXPECT_EQ(ui.ink_heading_action->text(), QStringLiteral("Colour of the highlighter"))
        << "the menu says whose";
    ui.colour_actions->actions().at(3)->trigger();
    EXPECT_EQ(view->inkColour(MouseDragView::Tool::Highlighter), ViewControllerLayout::inks()[3].colour);
    EXPECT_EQ(view->inkColour(MouseDragView::Tool::Pen), ViewControllerLayout::inks()[0].colour);
    QTest::keyClick(viewer.get(), Qt::Key_E);
    EXPECT_EQ(view->tool(), MouseDragView::Tool::Eraser);
    QTest::keyClick(viewer.get(), Qt::Key_Escape);
    EXPECT_EQ(view->tool(), MouseDragView::Tool::Pan);
    EXPECT_FALSE(ui.draw_button->isChecked());
    ui.draw_button->click();  // takes up the last tool again
    EXPECT_EQ(view->tool(), MouseDragView::Tool::Eraser);

    QTest::keyClick(viewer.get(), Qt::Key_H);
    QTest::keyClick(viewer.get(), Qt::Key_V);
    EXPECT_EQ(viewer->orientation(), (PictureOrientation{true, true}));
    EXPECT_EQ(geometry().orientation(), PictureOrientation{}) << "the no-device picture stays legible";
    QTest::keyClick(viewer.get(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_TRUE(viewer->statusOverlayShown());
    QTest::keyClick(viewer.get(), Qt::Key_Space);
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer->frozen(); }, 1000));
    EXPECT_EQ(ui.freeze_button->toolTip(), QStringLiteral("Go live again (Space)"));
}

TEST_F(ViewControllerTest, MirrorFlipTheOverlayAndTheRecordingSizeAreRememberedAcrossStarts) {
    startWithoutCamera();
    EXPECT_EQ(ViewController::recordingSize(), VideoSize::Choice::Full_HD);
    EXPECT_TRUE(viewer->findChild<QAction *>(QStringLiteral("record_size_1080p_action"))->isChecked());
    viewer->setMirrored(true);
    viewer->setStatusOverlayShown(true);
    viewer->findChild<QAction *>(QStringLiteral("record_size_720p_action"))->trigger();
    startViewer(unusedLoopbackPort(SOCK_STREAM), unusedLoopbackPort(SOCK_DGRAM), /*keepSettings=*/true);
    EXPECT_EQ(viewer->orientation(), (PictureOrientation{true, false}));
    EXPECT_TRUE(viewer->ui().mirror_action->isChecked());
    EXPECT_FALSE(viewer->ui().flip_action->isChecked());
    EXPECT_TRUE(viewer->statusOverlayShown());
    EXPECT_TRUE(viewer->ui().overlay_action->isChecked());
    EXPECT_EQ(ViewController::recordingSize(), VideoSize::Choice::HD);
    EXPECT_TRUE(viewer->findChild<QAction *>(QStringLiteral("record_size_720p_action"))->isChecked());
    EXPECT_FALSE(viewer->findChild<QAction *>(QStringLiteral("record_size_1080p_action"))->isChecked());
}

// While a drawing tool is chosen a drag draws instead of panning; strokes survive freeze and unfreeze,
// undo and clear work by gesture, and a new camera resolution clears them.
TEST_F(ViewControllerTest, StrokesStayOnThePictureUntilItsSizeChanges) {
    ASSERT_TRUE(startWithCamera());
    viewer->ui().right_rotate_button->click();
    viewer->chooseTool(MouseDragView::Tool::Pen);
    MouseDragView *view = viewer->dragView();
    const DrawingSheet &sheet = view->drawingSheet();
    const QRectF frame = geometry().dragSurfaceFrame();
    const auto stroke = [&](QPointF from, QPointF to) {
        sendMouse(view, QEvent::MouseButtonPress, from, Qt::LeftButton);
        sendMouse(view, QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
        sendMouse(view, QEvent::MouseMove, to, Qt::LeftButton);
        sendMouse(view, QEvent::MouseButtonRelease, to, Qt::NoButton);
    };
    stroke({500, 300}, {700, 320});
    ASSERT_EQ(sheet.strokes().size(), 1u);
    EXPECT_EQ(geometry().dragSurfaceFrame(), frame) << "no pan";
    // Stored in picture pixels: mapped back through the turned view, the points are where the mouse was.
    const QPointF end = geometry().pictureToArea().map(sheet.strokes()[0].points.back());
    EXPECT_NEAR(end.x(), 700, 1e-6);
    EXPECT_NEAR(end.y(), 320, 1e-6);
    EXPECT_EQ(sheet.pictureSize(), QSize(1920, 1080));

    viewer->toggleFreeze();
    stroke({400, 200}, {450, 260});
    viewer->toggleFreeze();
    ASSERT_TRUE(waitForPictures(2));
    EXPECT_EQ(sheet.strokes().size(), 2u);
    viewer->undoStroke();
    EXPECT_EQ(sheet.strokes().size(), 1u);
    viewer->clearDrawings();
    EXPECT_TRUE(sheet.isEmpty());
    viewer->undoStroke();
    EXPECT_EQ(sheet.strokes().size(), 1u);

    viewer->chooseTool(MouseDragView::Tool::Pan);
    stroke({500, 300}, {530, 280});
    EXPECT_EQ(geometry().dragSurfaceFrame().center(), frame.center() + QPointF(30, -20)) << "pans again";
    menu()->setCurrentIndex(1);
    emit menu()->activated(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownSize() == QSize(1280, 720); }, kCameraWaitMs));
    EXPECT_TRUE(sheet.isEmpty());
    EXPECT_FALSE(sheet.canUndo());
}

// The overlay's figures, read from its lines: "Received R fps · shown S fps".
std::pair<double, double> overlayRates(const ViewController &viewer) {
    static const QRegularExpression rates(QStringLiteral("Received ([0-9.]+) fps · shown ([0-9.]+) fps"));
    const QRegularExpressionMatch match = rates.match(viewer.statusLines().value(0));
    if (!match.hasMatch()) return {-1, -1};
    return {match.captured(1).toDouble(), match.captured(2).toDouble()};
}

TEST_F(ViewControllerTest, TheOverlaysFiguresFollowTheCameraAndFallWhenItStalls) {
    // 10 pictures a second, then silence on an open connection after 60 of them.
    ASSERT_TRUE(startWithCamera({"--size", "640x360", "--fps", "10", "--stall-after", "60"}));
    viewer->setStatusOverlayShown(true);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto [received, shown] = overlayRates(*viewer);
            return received > 8 && received < 12 && shown > 8 && shown < 12;
        },
        kCameraWaitMs))
        << viewer->statusLines().join(QLatin1Char('\n')).toStdString();
    const QStringList lines = viewer->statusLines();
    EXPECT_FALSE(viewer->dragView()->cornerPanel().isNull()) << "the panel shows";
    EXPECT_EQ(lines.value(4), QStringLiteral("Picture 640×360"));
    EXPECT_TRUE(lines.value(2).startsWith(QStringLiteral("Latency "))) << lines.value(2).toStdString();
    EXPECT_FALSE(lines.value(2).contains(QStringLiteral("–")));
    EXPECT_TRUE(lines.value(3).startsWith(QStringLiteral("Bitrate ")));
    EXPECT_EQ(lines.value(5), QStringLiteral("Reconnections 0"));

    ASSERT_TRUE(QTest::qWaitFor([&] { return overlayRates(*viewer) == std::pair<double, double>(0, 0); },
                                kCameraWaitMs))
        << viewer->statusLines().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(viewer->statusLines().value(2), QStringLiteral("Latency – ms (median)"));
}

}  // namespace
