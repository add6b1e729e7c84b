// The display commands in the window: a fitted picture stays whole through turns, the wheel zooms about
// the pointer up to 8x, and the maximise button toggles.

#include "ViewerTestFixture.h"

#include "ServerSocket.h"
#include "app/MouseDragView.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include <sys/socket.h>

#include <algorithm>

namespace {

class DisplayControlsTest : public ViewerTestFixture {
  protected:
    void SetUp() override {
        startViewer(unusedLoopbackPort(SOCK_STREAM), unusedLoopbackPort(SOCK_DGRAM));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !viewer->pictureSize().isEmpty(); }, 2000));
    }
    const DisplayGeometry &geometry() const { return viewer->displayGeometry(); }
    MouseDragView *view() const { return viewer->dragView(); }
    // The turned picture's bounding box on screen lies inside the view and touches two of its sides.
    bool wholeAndAsLargeAsItFits() const {
        const QRectF frame =
            geometry().pictureToArea().mapRect(QRectF(QPointF(0, 0), geometry().pictureSize()));
        const QRectF area = QRectF(view()->rect()).adjusted(-0.01, -0.01, 0.01, 0.01);
        return area.contains(frame) &&
               (frame.width() >= view()->width() - 0.02 || frame.height() >= view()->height() - 0.02);
    }
    void turnWheel(QPointF at, int notches) {
        QWheelEvent wheel(at, view()->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view(), &wheel);
    }
};

TEST_F(DisplayControlsTest, AFittedPictureStaysWholeThroughEveryTurnAndAChosenZoomStays) {
    viewer->ui().suitable_button->click();
    for (QAbstractButton *turn : {viewer->ui().right_rotate_button, viewer->ui().right_rotate_button,
                                  viewer->ui().left_rotate_button}) {
        turn->click();
        EXPECT_TRUE(wholeAndAsLargeAsItFits()) << geometry().rotation();
    }
    viewer->ui().ns_slider_rotate->setValue(330);  // as the user drags it: 33 degrees clockwise
    EXPECT_DOUBLE_EQ(geometry().rotation(), 360 - 33);
    EXPECT_TRUE(wholeAndAsLargeAsItFits()) << "a free turn fits its bounding box";

    viewer->ui().ns_slider_zoom->setValue(170);  // as the user drags it: 1.7
    viewer->ui().right_rotate_button->click();
    EXPECT_DOUBLE_EQ(geometry().zoom(), 1.7) << "the user's zoom is left alone";
}

TEST_F(DisplayControlsTest, TheWheelZoomsAboutThePointerUpToEightTimes) {
    viewer->ui().suitable_button->click();
    const QPointF pointer(200, 150);
    const QPointF under = *geometry().areaToPicture(pointer);
    const double fit = geometry().zoom();
    turnWheel(pointer, 1);
    EXPECT_NEAR(geometry().zoom(), fit * 1.1, 1e-9);
    EXPECT_EQ(viewer->ui().scale_label->text(), DisplayGeometry::scaleText(fit * 1.1));
    const QPointF now = geometry().pictureToArea().map(under);
    EXPECT_NEAR(now.x(), pointer.x(), 1e-6);
    EXPECT_NEAR(now.y(), pointer.y(), 1e-6);
    turnWheel(pointer, 60);
    EXPECT_DOUBLE_EQ(geometry().zoom(), DisplayGeometry::kViewerMaxScale);
    turnWheel(pointer, -100);
    EXPECT_DOUBLE_EQ(geometry().zoom(), DisplayGeometry::kMinScale);
}

TEST_F(DisplayControlsTest, TheMaximiseButtonTogglesTheWindow) {
    viewer->ui().max_window_button->click();
    EXPECT_TRUE(viewer->windowState() & Qt::WindowMaximized);
    viewer->ui().max_window_button->click();
    EXPECT_FALSE(viewer->windowState() & Qt::WindowMaximized);
}

}  // namespace
