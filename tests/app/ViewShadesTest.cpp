// Spotlight and curtain: what the room sees changes, what a capture saves does not; the wheel sizes the
// light instead of zooming, and a drag moves the curtain instead of the picture.

#include "app/ViewShades.h"

#include "SendMouse.h"
#include "ServerSocket.h"
#include "ViewerTestFixture.h"
#include "app/MouseDragView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <sys/socket.h>

namespace {

constexpr int kCameraWaitMs = 8000;

TEST(ViewShades, TheLightAndTheCurtainStayInTheirBounds) {
    ViewShades shades;
    shades.resizeSpotlight(100);
    EXPECT_EQ(shades.spotlightRadius(), ViewShades::kLargestRadius);
    shades.resizeSpotlight(-200);
    EXPECT_EQ(shades.spotlightRadius(), ViewShades::kSmallestRadius);

    shades.setCurtain(true, -40);  // a zoomed picture starts above the area
    EXPECT_EQ(shades.curtainEdge(), 0);
    const struct { double dy, edge; } drags[] = {{120, 120}, {-50, 70}, {-500, 0}, {900, 600}};
    for (const auto &drag : drags) {
        shades.dragCurtain(drag.dy, 600);
        EXPECT_EQ(shades.curtainEdge(), drag.edge) << drag.dy;
    }
}

class ViewShadesTest : public ViewerTestFixture {
  protected:
    // A plain light grey picture, so that dimmed and covered pixels stand out.
    bool startWithCamera() {
        QImage grey(640, 360, QImage::Format_RGB32);
        grey.fill(QColor(200, 200, 200));
        if (!frames.isValid() || !grey.save(frames.filePath("grey.jpg"), "JPEG", 95)) return false;
        if (!simulator.start({"--frames-dir", frames.path(), "--fps", "10"})) return false;
        startViewer(simulator.imagePort(), simulator.commandPort());
        return QTest::qWaitFor([&] { return viewer->shownImageBytes() != nullptr; }, kCameraWaitMs);
    }
    QImage screen() const { return viewer->dragView()->grab().toImage(); }
    int brightness(const QImage &image, QPoint point) const { return qGray(image.pixel(point)); }

    QTemporaryDir frames;

    void send(QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        sendMouse(viewer->dragView(), type, at, buttons);
    }
};

TEST_F(ViewShadesTest, TheCurtainHidesWhatItCoversInTheViewAndNotInACapture) {
    ASSERT_TRUE(startWithCamera());
    const QImage plainCapture = viewer->capturePicture(false);
    MouseDragView *view = viewer->dragView();
    viewer->ui().curtain_action->trigger();
    const QPointF centre = QRectF(view->rect()).center();
    EXPECT_TRUE(viewer->ui().shade_button->isChecked());

    // Dragged down by a third of the area: the top third shows the picture, the rest is covered.
    const double third = view->height() / 3.0;
    const double edgeBefore = view->shades().curtainEdge();
    const QPointF panBefore = view->displayGeometry().dragSurfaceFrame().topLeft();
    send(QEvent::MouseButtonPress, centre, Qt::LeftButton);
    send(QEvent::MouseMove, centre + QPointF(0, third), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, centre + QPointF(0, third), Qt::NoButton);
    EXPECT_NEAR(view->shades().curtainEdge(), edgeBefore + third, 0.5);
    EXPECT_EQ(view->displayGeometry().dragSurfaceFrame().topLeft(), panBefore) << "the picture moved";

    const QImage shown = screen();
    const int edge = int(view->shades().curtainEdge());
    const QImage uncovered = viewer->capturePicture(false);
    for (int y = edge + 10; y < view->height() - 40; y += 40) {
        EXPECT_LT(brightness(shown, QPoint(view->width() / 2, y)), 40) << "row " << y << " shows";
    }
    EXPECT_EQ(uncovered, plainCapture) << "the capture holds the curtain";
    viewer->ui().curtain_action->trigger();
    EXPECT_FALSE(viewer->ui().shade_button->isChecked());
}

TEST_F(ViewShadesTest, TheSpotlightDimsAllButItsCircleAndTheWheelSizesIt) {
    ASSERT_TRUE(startWithCamera());
    MouseDragView *view = viewer->dragView();
    const QPointF centre = QRectF(view->rect()).center();
    const QImage before = screen();
    viewer->ui().spotlight_action->trigger();
    send(QEvent::MouseMove, centre, Qt::NoButton);
    const QImage lit = screen();
    const QPoint inside = centre.toPoint() + QPoint(20, 0);
    const QPoint outside = centre.toPoint() + QPoint(int(ViewShades::kDefaultRadius) + 60, 0);
    EXPECT_NEAR(brightness(lit, inside), brightness(before, inside), 25);
    EXPECT_LT(brightness(lit, outside), brightness(before, outside) / 2);

    const double zoom = view->displayGeometry().zoom();
    QWheelEvent wheel(centre, view->mapToGlobal(centre), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    EXPECT_GT(view->shades().spotlightRadius(), ViewShades::kDefaultRadius);
    EXPECT_EQ(view->displayGeometry().zoom(), zoom);
    EXPECT_EQ(viewer->capturePicture(false).size(), QSize(640, 360));
}

}  // namespace
