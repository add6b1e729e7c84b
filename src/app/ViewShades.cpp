#include "app/ViewShades.h"

#include "app/PaintBands.h"

#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>

namespace {
const QColor kCurtain(24, 26, 28);
}

void ViewShades::resizeSpotlight(double steps) {
    radius_ = std::clamp(radius_ * std::pow(kRadiusStep, steps), kSmallestRadius, kLargestRadius);
}

void ViewShades::setCurtain(bool on, double pictureTop) {
    curtain_ = on;
    edge_ = std::max(0.0, pictureTop);
}

void ViewShades::dragCurtain(double dy, double areaHeight) {
    edge_ = std::clamp(edge_ + dy, 0.0, areaHeight);
}

void ViewShades::paint(QPainter &painter, const QRectF &picture) const {
    if (spotlight_) paintSpotlight(painter, picture);
    if (curtain_) {
        const QRectF sheet(picture.left(), std::max(edge_, picture.top()), picture.width(),
                           std::max(0.0, picture.bottom() - std::max(edge_, picture.top())));
        painter.fillRect(sheet, kCurtain);
        painter.setPen(QPen(QColor(255, 255, 255, 90), 2));
        if (!sheet.isEmpty()) painter.drawLine(sheet.topLeft(), sheet.topRight());
    }
}

// Plain bands round the light and one small cached picture for the light itself: a path with a hole,
// rasterised every frame, cost as much again as the rest of the frame.
QRect ViewShades::spotlightRect() const {
    const int side = 2 * int(std::ceil(radius_));
    return QRect(centre_.toPoint() - QPoint(side / 2, side / 2), QSize(side, side));
}

void ViewShades::paintSpotlight(QPainter &painter, const QRectF &picture) const {
    const QRect spot = spotlightRect();
    const int side = spot.width();
    painter.save();
    painter.setClipRect(picture, Qt::IntersectClip);
    for (const QRect &part : QRegion(picture.toAlignedRect()) - spot)
        forEachPaintBand(part, [&](const QRect &band) { painter.fillRect(band, dimColour()); });
    const QImage &light = spotPicture(side);
    forEachPaintBand(light.rect(), [&](const QRect &band) {
        painter.drawImage(spot.topLeft() + band.topLeft(), light, band);
    });
    painter.restore();
}

const QImage &ViewShades::spotPicture(int side) const {
    if (spotPicture_.width() == side) return spotPicture_;
    spotPicture_ = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
    spotPicture_.fill(dimColour());
    QPainter painter(&spotPicture_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QRectF(0, 0, side, side));
    return spotPicture_;
}

QColor ViewShades::dimColour() {
    return QColor(0, 0, 0, kDimAlpha);
}
