#pragma once

// Compare: the live picture and a still side by side, split at a divider the user drags, each shown whole
// in its part (fitted, centred). The view paints by these rectangles and a capture of the comparison is
// made from them, so what is saved is what was shown.

#include <QImage>
#include <QRectF>
#include <QSizeF>

#include <utility>

class CompareLayout {
  public:
    static constexpr double kNarrowest = 0.15;  // of the area, for either part
    static constexpr double kMiddle = 0.5;

    // The left and the right part of area for divider (a fraction of its width, held within bounds).
    static std::pair<QRectF, QRectF> parts(QSizeF area, double divider);
    // picture made as large as part holds it whole, centred in it.
    static QRectF fitted(QSizeF picture, const QRectF &part);
    static double heldDivider(double divider);
    // The comparison as shown in an area of that size, at the live picture's own resolution: live on the
    // left, still on the right, on background.
    static QImage compose(const QImage &live, const QImage &still, QSizeF area, double divider,
                          QColor background);
};
