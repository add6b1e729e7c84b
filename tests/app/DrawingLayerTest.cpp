#include "app/DrawingLayer.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QImage page() {
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(QColor(240, 235, 220));
    return image;
}

// The largest difference of any channel of any pixel: the cache rounds its blends a little differently.
int largestDifference(const QImage &a, const QImage &b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return largest;
}

QImage direct(const DrawingSheet &sheet, const QTransform &toArea) {
    QImage image = page();
    QPainter painter(&image);
    painter.setTransform(toArea);
    sheet.paint(painter);
    return image;
}

QImage throughLayer(DrawingLayer &layer, const DrawingSheet &sheet, const QTransform &toArea, bool growing) {
    QImage image = page();
    QPainter painter(&image);
    layer.paint(painter, sheet, toArea, image.size(), 1.0, image.rect(), growing);
    return image;
}

TEST(DrawingLayer, ShowsWhatDrawingTheStrokesDirectlyShowsAndCopiesOnlyWhereThereIsInk) {
    DrawingSheet sheet;
    sheet.setPictureSize({400, 300});
    sheet.beginStroke(Stroke::Kind::Highlighter, QColor(253, 216, 53), 24, {40, 60});
    sheet.extendStroke({300, 70});
    sheet.beginStroke(Stroke::Kind::Pen, QColor(229, 57, 53), 5, {50, 50});
    sheet.extendStroke({120, 90});
    sheet.extendStroke({200, 40});
    QTransform toArea;
    toArea.translate(150, 100).scale(0.6, 0.6).rotate(-25).translate(-200, -150);

    DrawingLayer layer;
    EXPECT_LE(largestDifference(throughLayer(layer, sheet, toArea, false), direct(sheet, toArea)), 2);
    std::size_t inked = 0;
    for (const QRect &part : layer.inkedParts()) inked += std::size_t(part.width() * part.height());
    EXPECT_GT(inked, 0u);
    EXPECT_LT(inked, 300u * 200 / 2) << "the strokes cover a small part of the area";

    // The stroke being drawn grows over the cached ones; a change of view redraws the cache.
    sheet.extendStroke({260, 120});
    EXPECT_LE(largestDifference(throughLayer(layer, sheet, toArea, true), direct(sheet, toArea)), 2);
    toArea.translate(30, -10);
    EXPECT_LE(largestDifference(throughLayer(layer, sheet, toArea, false), direct(sheet, toArea)), 2);
    sheet.clear();
    EXPECT_EQ(throughLayer(layer, sheet, toArea, false), page());
}

}  // namespace
