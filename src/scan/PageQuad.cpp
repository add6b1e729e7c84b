#include "scan/PageQuad.h"

#include <QLineF>

#include <algorithm>
#include <cmath>

PageQuad PageQuad::fromPoints(const std::array<QPointF, 4> &points) {
    QPointF centre;
    for (const QPointF &p : points) centre += p / 4.0;
    std::array<QPointF, 4> sorted = points;
    // With y downwards, a growing angle turns clockwise on screen.
    std::sort(sorted.begin(), sorted.end(), [centre](const QPointF &a, const QPointF &b) {
        return std::atan2(a.y() - centre.y(), a.x() - centre.x()) <
               std::atan2(b.y() - centre.y(), b.x() - centre.x());
    });
    const auto first = std::min_element(sorted.begin(), sorted.end(), [](const QPointF &a, const QPointF &b) {
        return a.x() + a.y() < b.x() + b.y();
    });
    std::rotate(sorted.begin(), first, sorted.end());
    return {sorted};
}

PageQuad PageQuad::whole(QSize picture) {
    const double w = picture.width(), h = picture.height();
    return {{QPointF(0, 0), QPointF(w, 0), QPointF(w, h), QPointF(0, h)}};
}

QPolygonF PageQuad::polygon() const {
    return QPolygonF({corners[0], corners[1], corners[2], corners[3]});
}

double PageQuad::diagonal() const {
    return std::max(QLineF(corners[TopLeft], corners[BottomRight]).length(),
                    QLineF(corners[TopRight], corners[BottomLeft]).length());
}

PageQuad PageQuad::scaled(double factor) const {
    PageQuad out = *this;
    for (QPointF &p : out.corners) p *= factor;
    return out;
}
