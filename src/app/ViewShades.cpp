#include "app/ViewShades.h"

#include <QPainter>
#include <QPainterPath>

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
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (spotlight_) {
        // Only the picture is dimmed: the area round it is dark already, and every pixel blended costs.
        QPainterPath dimmed;
        dimmed.addRect(picture);
        QPainterPath light;
        light.addEllipse(centre_, radius_, radius_);
        painter.fillPath(dimmed.subtracted(light), QColor(0, 0, 0, kDimAlpha));
    }
    if (curtain_) {
        const QRectF sheet(picture.left(), std::max(edge_, picture.top()), picture.width(),
                           std::max(0.0, picture.bottom() - std::max(edge_, picture.top())));
        painter.fillRect(sheet, kCurtain);
        painter.setPen(QPen(QColor(255, 255, 255, 90), 2));
        if (!sheet.isEmpty()) painter.drawLine(sheet.topLeft(), sheet.topRight());
    }
    painter.restore();
}
