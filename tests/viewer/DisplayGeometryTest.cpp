#include "viewer/DisplayGeometry.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

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

TEST(DisplayGeometry, FitsTheTurnedPictureToTheSmallerOfTheAreasRatios) {
    const FitCase cases[] = {
        {1080, {1920, 1080}, 0, 1.0, "Scale: 1.0x"},
        {1080, {1920, 1080}, 90, 0.5625, "Scale: 0.6x"},
        {720, {640, 480}, 0, 1.5, "Scale: 1.5x"},
        // Beyond what the zoom slider can show, applied unchanged all the same.
        {900, {320, 240}, 0, 3.75, "Scale: 3.8x"},
        // The area's width binds: 1920 wide for a 4:3 picture three times its height.
        {1080, {640, 160}, 0, 3.0, "Scale: 3.0x"},
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

// Fit once filled the height only: a 16:9 picture lost its sides in a narrower area and a turned one most
// of its page. Now every corner shows, and the picture touches two sides of the area.
TEST(DisplayGeometry, FitShowsEveryCornerAtAnyTurn) {
    const std::vector<std::pair<QSizeF, double>> cases{
        {{1280, 744}, 0},   {{1280, 744}, 90}, {{1280, 744}, 33}, {{1024, 700}, 0},
        {{1024, 700}, 270}, {{1024, 700}, 33}, {{700, 1000}, 0}};
    for (const auto &[area, turn] : cases) {
        SCOPED_TRACE(testing::Message() << area.width() << "x" << area.height() << " at " << turn);
        DisplayGeometry geometry = laidOut(area, {1920, 1080}, turn);
        ASSERT_TRUE(geometry.setFitImage());
        const QRectF frame = geometry.pictureToArea().mapRect(QRectF(0, 0, 1920, 1080));
        const QRectF inside = QRectF(QPointF(0, 0), area).adjusted(-kMillis, -kMillis, kMillis, kMillis);
        for (const QPointF corner : {QPointF(0, 0), QPointF(1920, 0), QPointF(0, 1080), QPointF(1920, 1080)})
            EXPECT_TRUE(inside.contains(geometry.pictureToArea().map(corner)));
        EXPECT_TRUE(std::fabs(frame.width() - area.width()) < kMillis ||
                    std::fabs(frame.height() - area.height()) < kMillis)
            << "as large as it fits";
    }
}

// The wheel zooms about the pointer: the page's point under it stays there.
TEST(DisplayGeometry, ZoomingAboutAPointKeepsItsPicturePixelUnderIt) {
    DisplayGeometry geometry = laidOut({1280, 744}, {1920, 1080}, 33);
    geometry.setFitImage();
    const QPointF pointer(900, 200);
    const std::optional<QPointF> under = geometry.areaToPicture(pointer);
    ASSERT_TRUE(under);
    for (const double factor : {0.9, 2.5, 8.0}) {
        geometry.zoomAbout(pointer, factor);
        EXPECT_EQ(geometry.zoom(), factor);
        const QPointF now = geometry.pictureToArea().map(*under);
        EXPECT_NEAR(now.x(), pointer.x(), kMillis);
        EXPECT_NEAR(now.y(), pointer.y(), kMillis);
    }
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
        EXPECT_EQ(DisplayGeometry::sliderTurnFor(rotation), c.sliderAfter);
        EXPECT_EQ(DisplayGeometry::rotationForSlider(c.sliderAfter), rotation);
        EXPECT_GE(rotation, 0);
        EXPECT_LT(rotation, 360);
    }
}

struct ZoomCase {
    double zoom;
    bool in;
    std::optional<double> next;
};

TEST(DisplayGeometry, ZoomKeysStepByTenthsWithinTheSlidersRange) {
    constexpr double kMax = DisplayGeometry::kDefaultMaxScale, kMin = DisplayGeometry::kMinScale;
    const ZoomCase cases[] = {
        {1.0, true, 1.1},    {1.0, false, 0.9},
        {0.93, true, 1.0},   {0.93, false, 0.8},  // a fit snaps to tenths
        {1.95, true, kMax},  {kMax, true, {}},
        {2.7, true, {}},     {2.7, false, 2.6},  // past the end
        {0.2, false, kMin},  {0.1, false, kMin},
        {0.12, false, kMin}, {0.1, true, 0.2},
    };
    for (const ZoomCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "zoom " << c.zoom << (c.in ? " in" : " out"));
        const std::optional<double> next =
            c.in ? DisplayGeometry::zoomedIn(c.zoom, kMax) : DisplayGeometry::zoomedOut(c.zoom, kMin);
        ASSERT_EQ(next.has_value(), c.next.has_value());
        if (next) {
            EXPECT_NEAR(*next, *c.next, 1e-12);
        }
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

// A picture whose every pixel says where it is: red = x, green = y.
QImage addressedPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) picture.setPixel(x, y, qRgb(x, y, 0));
    }
    return picture;
}

// What the view paints at area point: the address of the picture pixel shown there.
QPoint pixelShownAt(const DisplayGeometry &geometry, const QImage &picture, QPointF point) {
    QImage area(geometry.areaSize().toSize(), QImage::Format_RGB32);
    area.fill(Qt::white);
    QPainter painter(&area);
    painter.setTransform(geometry.pictureToArea());
    painter.drawImage(QPointF(0, 0), picture);
    painter.end();
    const QRgb shown = area.pixel(int(std::floor(point.x())), int(std::floor(point.y())));
    return {qRed(shown), qGreen(shown)};
}

struct Pose {
    double rotation;
    double zoom;
    QPointF pan;
    PictureOrientation orientation;
};

std::vector<Pose> everyPose() {
    std::vector<Pose> poses;
    for (double rotation : {360.0, 90.0, 180.0, 270.0, 33.5}) {
        for (double zoom : {0.6, 1.0, 1.7}) {
            for (QPointF pan : {QPointF(0, 0), QPointF(37, -21)}) {
                for (bool mirrored : {false, true}) {
                    for (bool flipped : {false, true}) {
                        poses.push_back({rotation, zoom, pan, PictureOrientation{mirrored, flipped}});
                    }
                }
            }
        }
    }
    return poses;
}

void applyPose(DisplayGeometry &geometry, const Pose &pose) {
    geometry.setRotation(pose.rotation);
    geometry.setZoom(pose.zoom);
    geometry.setOrientation(pose.orientation);
    geometry.recentre();
    geometry.setDragOrigin(geometry.dragSurfaceFrame().topLeft() + pose.pan);
}

// The mouse draws a stroke under one pose; under every other pose the stroke's points land on the same
// picture pixels, as the painter shows them. (The screen pixel that holds a point has its centre up to
// half a pixel away, which may lie in the neighbouring picture pixel.)
TEST(DisplayGeometry, StrokePointsStayOnTheirPicturePixelsThroughTurnZoomPanAndMirror) {
    const QImage picture = addressedPicture(240, 160);
    DisplayGeometry geometry = laidOut({720, 520}, QSizeF(picture.size()));
    applyPose(geometry, {33.5, 1.7, {12, 5}, {true, false}});
    std::vector<QPointF> stroke;
    std::vector<QPoint> pixels;
    for (int i = 0; i < 12; ++i) {
        const QPointF mouse(300.5 + 9 * i, 200.5 + 5 * i);  // screen pixel centres
        const std::optional<QPointF> point = geometry.areaToPicture(mouse);
        ASSERT_TRUE(point.has_value());
        stroke.push_back(*point);
        pixels.emplace_back(int(std::floor(point->x())), int(std::floor(point->y())));
        EXPECT_EQ(pixelShownAt(geometry, picture, mouse), pixels.back())
            << "under the drawing pose, point " << i;
    }
    for (const Pose &pose : everyPose()) {
        applyPose(geometry, pose);
        const int tolerance = 1;
        SCOPED_TRACE(testing::Message()
                     << "turn " << pose.rotation << " zoom " << pose.zoom << " pan " << pose.pan.x()
                     << " mirrored " << pose.orientation.mirrored << " flipped " << pose.orientation.flipped);
        for (std::size_t i = 0; i < stroke.size(); ++i) {
            const QPointF onScreen = geometry.pictureToArea().map(stroke[i]);
            const QPoint shown = pixelShownAt(geometry, picture, onScreen);
            EXPECT_LE(std::abs(shown.x() - pixels[i].x()), tolerance) << "point " << i;
            EXPECT_LE(std::abs(shown.y() - pixels[i].y()), tolerance) << "point " << i;
            const QPointF back = *geometry.areaToPicture(onScreen);
            EXPECT_NEAR(back.x(), stroke[i].x(), 1e-9);
            EXPECT_NEAR(back.y(), stroke[i].y(), 1e-9);
        }
    }
}

TEST(DisplayGeometry, MirrorAndFlipComeBeforeTheTurn) {
    DisplayGeometry geometry = laidOut({1000, 800}, {200, 100});
    geometry.setOrientation({true, false});
    // Mirrored, the picture's top-left corner is shown top-right.
    EXPECT_EQ(geometry.pictureToArea().map(QPointF(0, 0)), QPointF(600, 350));
    // Then turned a quarter clockwise (slider 90): mirrored first, so that corner goes to bottom-right.
    geometry.setRotation(270);
    const QPointF corner = geometry.pictureToArea().map(QPointF(0, 0));
    EXPECT_NEAR(corner.x(), 550, 1e-9);
    EXPECT_NEAR(corner.y(), 500, 1e-9);
    // Mirror and flip together are a half turn; neither changes what fit does.
    geometry.setRotation(360);
    geometry.setOrientation({true, true});
    EXPECT_EQ(geometry.pictureToArea().map(QPointF(0, 0)), QPointF(600, 450));
    EXPECT_EQ(*geometry.setFitImage(), 5.0);  // 1000 wide for 200
    EXPECT_FALSE(laidOut({100, 100}, {0, 0}).areaToPicture({50, 50}).has_value());
}

TEST(PictureOrientation, MapsPixelsAndImagesAlike) {
    const QImage picture = addressedPicture(7, 5);
    for (const PictureOrientation orientation :
         {PictureOrientation{}, PictureOrientation{true, false}, PictureOrientation{false, true},
          PictureOrientation{true, true}}) {
        const QImage oriented = orientation.applied(picture);
        const QTransform transform = orientation.transform(QSizeF(picture.size()));
        for (const QPoint pixel : {QPoint(0, 0), QPoint(6, 0), QPoint(2, 3), QPoint(6, 4)}) {
            // The pixel's centre goes to the centre of the pixel that now holds its colour.
            const QPointF centre = transform.map(QPointF(pixel) + QPointF(0.5, 0.5));
            const QRgb moved = oriented.pixel(int(std::floor(centre.x())), int(std::floor(centre.y())));
            EXPECT_EQ(QPoint(qRed(moved), qGreen(moved)), pixel)
                << orientation.mirrored << orientation.flipped;
        }
    }
    EXPECT_EQ(PictureOrientation{}.applied(picture).constBits(), picture.constBits()) << "no copy";
}
