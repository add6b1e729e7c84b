// Compare's layout: each picture whole in its part, the divider held off the edges, and the composed
// capture showing the live picture on the left and the still on the right at the live picture's pixels.

#include "viewer/CompareLayout.h"

#include <QColor>

#include <gtest/gtest.h>

namespace {

QImage filled(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

TEST(CompareLayout, EachPictureIsWholeInItsPartAndTheDividerStaysOffTheEdges) {
    const struct { double divider, split; } dividers[] = {{0.5, 640}, {0.05, 192}, {0.97, 1088}, {0.3, 384}};
    for (const auto &d : dividers) {
        const auto [left, right] = CompareLayout::parts({1280, 720}, d.divider);
        EXPECT_DOUBLE_EQ(left.right(), d.split) << d.divider;
        EXPECT_DOUBLE_EQ(right.left(), d.split) << d.divider;
        EXPECT_DOUBLE_EQ(right.right(), 1280);
    }
    const QRectF part(640, 0, 640, 720);
    EXPECT_EQ(CompareLayout::fitted({1920, 1080}, part), QRectF(640, 180, 640, 360));
    EXPECT_EQ(CompareLayout::fitted({1080, 1920}, part), QRectF(757.5, 0, 405, 720));
}

TEST(CompareLayout, TheCaptureHoldsBothHalvesAtTheLivePicturesOwnPixels) {
    const QColor background(24, 26, 28);
    const QImage composed = CompareLayout::compose(filled({1280, 720}, Qt::red), filled({360, 640}, Qt::blue),
                                                   {1280, 720}, 0.5, background);
    // The live picture fills 640x360 of the left half on screen; composed, it keeps its 1280x720.
    ASSERT_EQ(composed.size(), QSize(2560, 1440));
    EXPECT_EQ(composed.pixelColor(640, 720), QColor(Qt::red));
    EXPECT_EQ(composed.pixelColor(640, 100), background) << "above the fitted live picture";
    EXPECT_EQ(composed.pixelColor(1920, 720), QColor(Qt::blue));
    EXPECT_EQ(composed.pixelColor(2540, 720), background) << "beside the portrait still";
    EXPECT_TRUE(
        CompareLayout::compose(QImage(), filled({10, 10}, Qt::blue), {100, 100}, 0.5, background).isNull());
}

}  // namespace
