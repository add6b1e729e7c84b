#include "viewer/CompareLayout.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

double CompareLayout::heldDivider(double divider) {
    return std::clamp(divider, kNarrowest, 1.0 - kNarrowest);
}

std::pair<QRectF, QRectF> CompareLayout::parts(QSizeF area, double divider) {
    const double split = area.width() * heldDivider(divider);
    return {QRectF(0, 0, split, area.height()), QRectF(split, 0, area.width() - split, area.height())};
}

QRectF CompareLayout::fitted(QSizeF picture, const QRectF &part) {
    if (picture.isEmpty() || part.isEmpty()) return {};
    const double zoom = std::min(part.width() / picture.width(), part.height() / picture.height());
    const QSizeF size = picture * zoom;
    return QRectF(part.center() - QPointF(size.width() / 2, size.height() / 2), size);
}

QImage CompareLayout::compose(const QImage &live, const QImage &still, QSizeF area, double divider,
                              QColor background) {
    if (live.isNull() || area.isEmpty()) return {};
    // The live picture keeps its own pixels: the whole area is scaled as much as that takes.
    const auto [left, right] = parts(area, divider);
    const double scale = live.height() / fitted(QSizeF(live.size()), left).height();
    QImage canvas((area * scale).toSize(), QImage::Format_RGB32);
    canvas.fill(background);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
    painter.drawImage(fitted(QSizeF(live.size()), left), live);
    if (!still.isNull()) painter.drawImage(fitted(QSizeF(still.size()), right), still);
    return canvas;
}
