#include "viewer/PictureOrientation.h"

QTransform PictureOrientation::transform(QSizeF picture) const {
    return QTransform(mirrored ? -1 : 1, 0, 0, flipped ? -1 : 1, mirrored ? picture.width() : 0,
                      flipped ? picture.height() : 0);
}

QImage PictureOrientation::applied(const QImage &picture) const {
    if (isIdentity()) return picture;
    return picture.mirrored(mirrored, flipped);
}
