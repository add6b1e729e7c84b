#include "app/MouseDragView.h"

#include "SendMouse.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

const QColor kMarker(255, 0, 0);

// The bounding box of the marker's pixels in what the view shows.
QRect markerBounds(MouseDragView &view) {
    const QImage shown = view.grab().toImage();
    QRect bounds;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            if (shown.pixelColor(x, y) == kMarker) bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

class MouseDragViewTest : public testing::Test {
  protected:
    void SetUp() override {
        QImage marker(40, 20, QImage::Format_RGB32);
        marker.fill(kMarker);
        view.resize(200, 100);
        view.show();
        view.setImage(marker);
        view.displayGeometry().set_1x1_resolution(QSizeF(40, 20), 0);
    }

    MouseDragView view;
};

TEST_F(MouseDragViewTest, ShowsThePictureWhereTheGeometrySaysAtOneToOne) {
    EXPECT_EQ(view.displayGeometry().areaSize(), QSizeF(200, 100));
    EXPECT_EQ(markerBounds(view), QRect(80, 40, 40, 20));
}

TEST_F(MouseDragViewTest, ShowsZoomAndQuarterTurns) {
    view.displayGeometry().setZoom(2.0);
    EXPECT_EQ(markerBounds(view), QRect(60, 30, 80, 40));
    view.displayGeometry().setZoom(1.0);
    view.displayGeometry().setRotation(90);
    EXPECT_EQ(markerBounds(view), QRect(90, 30, 20, 40));
}

TEST_F(MouseDragViewTest, DragMovesThePictureByTheMouseDelta) {
    sendMouse(&view, QEvent::MouseButtonPress, QPointF(10, 90), Qt::LeftButton);
    sendMouse(&view, QEvent::MouseMove, QPointF(25, 80), Qt::LeftButton);
    sendMouse(&view, QEvent::MouseMove, QPointF(40, 70), Qt::LeftButton);
    sendMouse(&view, QEvent::MouseButtonRelease, QPointF(40, 70), Qt::NoButton);
    EXPECT_EQ(view.lastPoint(), QPointF(40, 70));
    EXPECT_EQ(markerBounds(view), QRect(110, 20, 40, 20));
    // Also when the press is far from the picture, and no limit keeps it inside the area.
    sendMouse(&view, QEvent::MouseButtonPress, QPointF(0, 0), Qt::LeftButton);
    sendMouse(&view, QEvent::MouseMove, QPointF(195, 0), Qt::LeftButton);
    EXPECT_TRUE(markerBounds(view).isNull());
    // Moves without a button pressed do nothing.
    const QRectF frame = view.displayGeometry().dragSurfaceFrame();
    sendMouse(&view, QEvent::MouseMove, QPointF(10, 10), Qt::NoButton);
    EXPECT_EQ(view.displayGeometry().dragSurfaceFrame(), frame);
}

// The view draws the picture in bands; what it shows must be the one-piece drawing, edges included.
TEST(MouseDragViewPainting, ShowsWhatOneDrawOfThePictureShows) {
    QImage picture(120, 90, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb(x * 2, y * 2, (x * y) % 256));
    }
    MouseDragView view;
    view.resize(200, 100);
    view.show();
    view.setImage(picture);
    view.displayGeometry().set_1x1_resolution(QSizeF(picture.size()), 0);

    struct Pose {
        double zoom, rotation;
        QPointF drag;
    };
    for (const Pose pose :
         {Pose{0.7, 0, {}}, Pose{1.0, 90, {}}, Pose{1.3, 330, {-40, -70}}, Pose{0.45, 0, {15, 5}}}) {
        auto &geometry = view.displayGeometry();
        geometry.setZoom(pose.zoom);
        geometry.setRotation(pose.rotation);
        geometry.recentre();
        geometry.setDragOrigin(geometry.dragSurfaceFrame().topLeft() + pose.drag);

        QImage expected(view.size(), QImage::Format_RGB32);
        expected.fill(QColor(24, 26, 28));
        QPainter painter(&expected);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, pose.zoom != 1.0 || pose.rotation == 330);
        painter.setTransform(geometry.pictureToArea());
        painter.drawImage(QPointF(0, 0), picture);
        painter.end();
        EXPECT_EQ(view.grab().toImage().convertToFormat(QImage::Format_RGB32), expected)
            << "zoom " << pose.zoom << " turn " << pose.rotation;
    }
}

TEST_F(MouseDragViewTest, WithADrawingToolADragDrawsOnThePictureAndNowhereElse) {
    view.setTool(MouseDragView::Tool::Pen);
    view.setInkColour(MouseDragView::Tool::Pen, Qt::blue);
    // No sheet for this picture's size (the no-device picture, say): the drag pans.
    sendMouse(&view, QEvent::MouseButtonPress, QPointF(90, 50), Qt::LeftButton);
    sendMouse(&view, QEvent::MouseMove, QPointF(95, 50), Qt::LeftButton);
    sendMouse(&view, QEvent::MouseButtonRelease, QPointF(95, 50), Qt::NoButton);
    EXPECT_TRUE(view.drawingSheet().isEmpty());
    EXPECT_EQ(markerBounds(view), QRect(85, 40, 40, 20));

    view.displayGeometry().recentre();
    view.drawingSheet().setPictureSize({40, 20});
    sendMouse(&view, QEvent::MouseButtonPress, QPointF(90, 50), Qt::LeftButton);
    sendMouse(&view, QEvent::MouseMove, QPointF(110, 50), Qt::LeftButton);
    sendMouse(&view, QEvent::MouseButtonRelease, QPointF(110, 50), Qt::NoButton);
    ASSERT_EQ(view.drawingSheet().strokes().size(), 1u);
    EXPECT_EQ(view.drawingSheet().strokes()[0].points, (std::vector<QPointF>{{10, 10}, {30, 10}}));
    EXPECT_EQ(markerBounds(view), QRect(80, 40, 40, 20)) << "no pan";
    EXPECT_EQ(view.grab().toImage().pixelColor(100, 50), QColor(Qt::blue));

    view.setTool(MouseDragView::Tool::Eraser);
    sendMouse(&view, QEvent::MouseButtonPress, QPointF(100, 55), Qt::LeftButton);
    EXPECT_TRUE(view.drawingSheet().isEmpty());
}

TEST_F(MouseDragViewTest, ACornerPanelShowsOverThePictureAtTheTopLeft) {
    QImage panel(20, 70, QImage::Format_ARGB32_Premultiplied);  // taller than one band
    panel.fill(Qt::green);
    view.setCornerPanel(panel);
    view.resize(200, 100);
    const QImage shown = view.grab().toImage();
    EXPECT_EQ(shown.pixelColor(12, 12), QColor(Qt::green));
    EXPECT_EQ(shown.pixelColor(31, 81), QColor(Qt::green));
    EXPECT_NE(shown.pixelColor(32, 82), QColor(Qt::green));
    view.setCornerPanel(QImage());
    EXPECT_NE(view.grab().toImage().pixelColor(12, 12), QColor(Qt::green));
}

}  // namespace
