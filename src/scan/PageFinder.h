#pragma once

// Finds the sheet of paper in a camera picture: a light convex quadrilateral that covers a good part of
// the picture, on whatever desk it lies on. The search runs on a copy reduced to about kWorkingWidth
// pixels wide, so that it can follow the live picture (a few milliseconds per 1920x1080 frame on one
// core); the corners are then fitted to the page's edges and returned in the full picture's pixels.
//
// Two views of the reduced picture propose outlines: the bright regions (Otsu's threshold) and the edges
// (Canny). An outline counts as a page when it simplifies to four corners, is convex, covers at least
// kMinAreaFraction of the picture, fills its quadrilateral, and no side runs along the picture's border
// (a lit band of desk cut off by the frame is not a page). The largest such outline wins.
//
// Thread use: stateless, any thread; run it off the GUI thread for the live outline (a work queue or the
// decode thread), one call per picture.

#include "scan/PageQuad.h"

#include <QImage>

#include <optional>

class PageFinder {
  public:
    static constexpr int kWorkingWidth = 640;
    static constexpr double kMinAreaFraction = 0.1;

    // The page's corners in picture's pixels, or nothing when there is no page (or no picture).
    static std::optional<PageQuad> find(const QImage &picture);
};
