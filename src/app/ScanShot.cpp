#include "app/ScanShot.h"

#include "device/JpegDecoder.h"
#include "scan/PageStraightener.h"

PageQuad ScanShot::orientedQuad(const PageQuad &quad, PictureOrientation orientation, QSize pictureSize) {
    if (orientation.isIdentity()) return quad;
    const QTransform transform = orientation.transform(QSizeF(pictureSize));
    std::array<QPointF, 4> points;
    for (std::size_t i = 0; i < points.size(); ++i) points[i] = transform.map(quad.corners[i]);
    return PageQuad::fromPoints(points);
}

QImage ScanShot::straightened() const {
    QImage picture;
    if (!bytes || !JpegDecoder::decodeInto(bytes->data(), bytes->size(), picture)) picture = shown;
    if (picture.isNull() || pictureSize.isEmpty()) return {};
    // A view decoded at a reduced scale (no bytes to decode again) is warped at its own size.
    const PageQuad inPicture = quad.scaled(double(picture.width()) / pictureSize.width());
    // The user may have dragged one corner past another: the corners are named anew by where they lie.
    const PageQuad ordered = PageQuad::fromPoints(inPicture.corners);
    return PageStraightener::straighten(orientation.applied(picture),
                                        orientedQuad(ordered, orientation, picture.size()));
}
