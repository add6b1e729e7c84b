#include "app/PageOutline.h"

#include <QLineF>
#include <QPainter>

#include <algorithm>

namespace {

const QColor kOutlineColour(64, 196, 255);
constexpr double kLineWidth = 2.5;
constexpr double kHandleRadius = 7;

double distance(QPointF a, QPointF b) {
    return QLineF(a, b).length();
}

}  // namespace

bool PageOutline::pageMoved(const PageQuad &before, const PageQuad &now) {
    const double allowed = kMovedFraction * before.diagonal();
    for (std::size_t i = 0; i < before.corners.size(); ++i) {
        if (distance(before.corners[i], now.corners[i]) > allowed) return true;
    }
    return false;
}

std::optional<int> PageOutline::cornerAt(const PageQuad &quad, const QTransform &toArea, QPointF areaPoint) {
    std::optional<int> nearest;
    double nearestDistance = kGrabRadius;
    for (std::size_t i = 0; i < quad.corners.size(); ++i) {
        const double d = distance(toArea.map(quad.corners[i]), areaPoint);
        if (d <= nearestDistance) {
            nearestDistance = d;
            nearest = int(i);
        }
    }
    return nearest;
}

void PageOutline::setFound(const std::optional<PageQuad> &found, QSize picture) {
    if (picture != picture_) reset();
    picture_ = picture;
    found_ = found ? *found : PageQuad::whole(picture);
    if (corrected_ && pageMoved(correctedOn_, found_)) corrected_.reset();
}

void PageOutline::reset() {
    picture_ = QSize();
    found_ = PageQuad();
    corrected_.reset();
}

void PageOutline::moveCorner(int corner, QPointF picturePoint) {
    if (isEmpty() || corner < 0 || corner >= int(found_.corners.size())) return;
    if (!corrected_) {
        corrected_ = found_;
        correctedOn_ = found_;
    }
    corrected_->corners[std::size_t(corner)] =
        QPointF(std::clamp(picturePoint.x(), 0.0, double(picture_.width())),
                std::clamp(picturePoint.y(), 0.0, double(picture_.height())));
}

void PageOutline::paint(QPainter &painter, const QTransform &toArea) const {
    if (isEmpty()) return;
    // Drawn one to one in area pixels, so the line keeps its width at any zoom.
    const PageQuad shown = quad();
    QPolygonF outline;
    for (const QPointF &corner : shown.corners) outline << toArea.map(corner);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kOutlineColour, kLineWidth, corrected_ ? Qt::SolidLine : Qt::DashLine));
    painter.setBrush(QColor(64, 196, 255, 28));
    painter.drawPolygon(outline);
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(kOutlineColour);
    for (const QPointF &corner : outline) painter.drawEllipse(corner, kHandleRadius, kHandleRadius);
    painter.restore();
}
