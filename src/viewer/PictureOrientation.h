#pragma once

// Mirror (left-right) and flip (top-bottom) of the camera's picture. They come before the turn, and the
// view, captures and recordings all apply the same orientation, so a camera mounted the other way round is
// put right everywhere at once.
//
// Coordinates: picture pixels of the camera's own picture ("raw") and of the oriented one, x to the right,
// y downwards, a pixel i covering [i, i + 1). Each of the two mappings is its own inverse.

#include <QImage>
#include <QSizeF>
#include <QTransform>

struct PictureOrientation {
    bool mirrored = false;  // left and right swapped
    bool flipped = false;   // top and bottom swapped

    bool isIdentity() const { return !mirrored && !flipped; }
    // Raw picture coordinates to oriented ones, for a picture of the given size.
    QTransform transform(QSizeF picture) const;
    // The oriented copy of picture; picture itself (no copy) when nothing changes.
    QImage applied(const QImage &picture) const;

    friend bool operator==(const PictureOrientation &, const PictureOrientation &) = default;
};
