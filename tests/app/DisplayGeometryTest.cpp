#include "app/DisplayGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kMillis = 0.0005;  // "to three decimals"

DisplayGeometry laidOut(QSizeF area, QSizeF picture, double sliderTurn = 0) {
    DisplayGeometry geometry;
    geometry.setAreaSize(area);
    geometry.set_1x1_resolution(picture, sliderTurn);
    return geometry;
}

TEST(DisplayGeometry, OneToOneStackOfAFullHdPicture) {
    const DisplayGeometry geometry = laidOut({1280, 744}, {1920, 1080});
    EXPECT_NEAR(geometry.diagonal(), 2202.907, kMillis);
    EXPECT_NEAR(geometry.rotationSquareFrame().width(), 2202.907, kMillis);
    EXPECT_NEAR(geometry.rotationSquareFrame().height(), 2202.907, kMillis);
    EXPECT_NEAR(geometry.pictureFrame().x(), 141.454, kMillis);
    EXPECT_NEAR(geometry.pictureFrame().y(), 561.454, kMillis);
    EXPECT_EQ(geometry.pictureFrame().size(), QSizeF(1920, 1080));
    EXPECT_NEAR(geometry.dragSurfaceFrame().width(), 4405.814, kMillis);
    EXPECT_NEAR(geometry.dragSurfaceFrame().height(), 4405.814, kMillis);
    // The square sits in the middle of the drag surface, and the drag surface in the middle of the area.
    EXPECT_NEAR(geometry.rotationSquareFrame().center().x(), 4405.814 / 2, kMillis);
    EXPECT_EQ(geometry.dragSurfaceFrame().center(), QPointF(640, 372));
    EXPECT_EQ(geometry.zoom(), 1.0);
    EXPECT_EQ(geometry.rotation(), 360.0);  // slider 0: upright
}

TEST(DisplayGeometry, OneToOneStackOfASmallPicture) {
    const DisplayGeometry geometry = laidOut({100, 100}, {3, 4});
    EXPECT_EQ(geometry.diagonal(), 5.0);
    EXPECT_EQ(geometry.pictureFrame().topLeft(), QPointF(1, 0.5));
    EXPECT_EQ(geometry.dragSurfaceFrame().size(), QSizeF(10, 10));
    EXPECT_EQ(DisplayGeometry::func_get_image_max_length(3, 4), 5.0);
}

TEST(DisplayGeometry, NoPictureGivesAnEmptyStack) {
    const DisplayGeometry geometry = laidOut({800, 600}, {0, 0});
    EXPECT_EQ(geometry.diagonal(), 0.0);
    EXPECT_TRUE(geometry.dragSurfaceFrame().size().isNull());
    EXPECT_EQ(geometry.dragSurfaceFrame().center(), QPointF(400, 300));
}

struct FitCase {
    double areaHeight;
    QSizeF picture;
    double sliderTurn;
    double factor;
    const char *label;
};

TEST(DisplayGeometry, FitsTheTurnedPictureToTheAreaHeight) {
    const FitCase cases[] = {
        {1080, {1920, 1080}, 0, 1.0, "Scale: 1.0x"},
        {1080, {1920, 1080}, 90, 0.5625, "Scale: 0.6x"},
        {720, {640, 480}, 0, 1.5, "Scale: 1.5x"},
        // Beyond what the zoom slider can show, applied unchanged all the same.
        {900, {320, 240}, 0, 3.75, "Scale: 3.8x"},
    };
    for (const FitCase &c : cases) {
        SCOPED_TRACE(c.label);
        DisplayGeometry geometry = laidOut({1920, c.areaHeight}, c.picture, c.sliderTurn);
        const std::optional<double> factor = geometry.setFitImage();
        ASSERT_TRUE(factor.has_value());
        EXPECT_EQ(*factor, c.factor);
        EXPECT_EQ(geometry.zoom(), c.factor);
        EXPECT_EQ(DisplayGeometry::scaleText(*factor), QString::fromLatin1(c.label));
    }
}

TEST(DisplayGeometry, FitUsesTheBoundingBoxOfAFreeTurn) {
    DisplayGeometry geometry = laidOut({1000, 1000}, {300, 400}, 30);
    const double expected = 300 * std::sin(M_PI / 6) + 400 * std::cos(M_PI / 6);
    EXPECT_NEAR(geometry.turnedPictureHeight(), expected, 1e-9);
    EXPECT_NEAR(*geometry.setFitImage(), 1000 / expected, 1e-12);
}

TEST(DisplayGeometry, FitWithoutAPictureKeepsTheZoomFiniteAndOnlyRecentres) {
    DisplayGeometry geometry = laidOut({800, 600}, {0, 0});
    geometry.setZoom(1.3);
    geometry.setDragOrigin({17, 4});
    EXPECT_FALSE(geometry.setFitImage().has_value());
    EXPECT_EQ(geometry.zoom(), 1.3);
    EXPECT_EQ(geometry.dragSurfaceFrame().center(), QPointF(400, 300));
    const QTransform transform = geometry.pictureToArea();
    for (double entry : {transform.m11(), transform.m12(), transform.m21(), transform.m22(), transform.dx(),
                         transform.dy()}) {
        EXPECT_TRUE(std::isfinite(entry));
    }
    // An area with no height gives no factor either: a zero zoom would hide the picture for good.
    DisplayGeometry flat = laidOut({800, 0}, {640, 480});
    EXPECT_FALSE(flat.setFitImage().has_value());
    EXPECT_EQ(flat.zoom(), 1.0);
}

struct TurnCase {
    double slider;
    bool left;
    double rotation;
    double sliderAfter;
};

TEST(DisplayGeometry, TurnButtonsStepByQuarterTurnsAndDropFractions) {
    const TurnCase cases[] = {
        {0, true, 90, 270},    {270, true, 180, 180}, {0, false, 270, 90},   {90, true, 0, 360},
        {10.5, true, 79, 281}, {360, false, 270, 90}, {180, false, 90, 270}, {359.9, true, 90, 270},
    };
    for (const TurnCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "slider " << c.slider << (c.left ? " left" : " right"));
        const double rotation = c.left ? DisplayGeometry::leftTurnRotation(c.slider)
                                       : DisplayGeometry::rightTurnRotation(c.slider);
        EXPECT_EQ(rotation, c.rotation);
        EXPECT_EQ(360 - rotation, c.sliderAfter);
        EXPECT_GE(rotation, 0);
        EXPECT_LT(rotation, 360);
    }
}

TEST(DisplayGeometry, OneToOneKeepsTheSlidersTurnAndResetsZoomAndDrag) {
    DisplayGeometry geometry = laidOut({1000, 800}, {640, 480});
    geometry.setZoom(1.7);
    geometry.setDragOrigin(geometry.dragSurfaceFrame().topLeft() + QPointF(30, -20));
    geometry.set_1x1_resolution({640, 480}, 45);
    EXPECT_EQ(geometry.rotation(), 315);
    EXPECT_EQ(geometry.zoom(), 1.0);
    EXPECT_EQ(geometry.dragSurfaceFrame().center(), QPointF(500, 400));
}

TEST(DisplayGeometry, DragMovesThePictureAndFitBringsItBack) {
    DisplayGeometry geometry = laidOut({1000, 800}, {640, 480});
    const QPointF centreBefore = geometry.pictureToArea().map(QPointF(320, 240));
    EXPECT_EQ(centreBefore, QPointF(500, 400));
    geometry.setDragOrigin(geometry.dragSurfaceFrame().topLeft() + QPointF(30, -20));
    EXPECT_EQ(geometry.pictureToArea().map(QPointF(320, 240)), QPointF(530, 380));
    geometry.setFitImage();
    EXPECT_EQ(geometry.pictureToArea().map(QPointF(320, 240)), QPointF(500, 400));
}

TEST(DisplayGeometry, PaintTransformFollowsZoomAndTurn) {
    DisplayGeometry geometry = laidOut({1000, 800}, {200, 100});
    geometry.setZoom(2.0);
    // Upright at zoom 2: the 200 by 100 picture covers 400 by 200 around the centre.
    EXPECT_EQ(geometry.pictureToArea().mapRect(QRectF(0, 0, 200, 100)), QRectF(300, 300, 400, 200));
    // Slider at 90 (a clockwise quarter turn): the top-left corner goes to the top-right on screen.
    geometry.setRotation(360 - 90);
    const QPointF topLeft = geometry.pictureToArea().map(QPointF(0, 0));
    EXPECT_NEAR(topLeft.x(), 600, 1e-9);
    EXPECT_NEAR(topLeft.y(), 200, 1e-9);
    const QRectF bounds = geometry.pictureToArea().mapRect(QRectF(0, 0, 200, 100));
    EXPECT_NEAR(bounds.height(), 2 * geometry.turnedPictureHeight(), 1e-9);
}

}  // namespace
