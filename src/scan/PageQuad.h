#pragma once

// The four corners of a page in a picture, in picture pixels, always in the order top left, top right,
// bottom right, bottom left (as seen in the picture). PageFinder returns one; PageStraightener maps it to
// an upright rectangle; the window draws it as the page's outline.

#include <QPointF>
#include <QPolygonF>
#include <QSize>

#include <array>

struct PageQuad {
    enum Corner { TopLeft, TopRight, BottomRight, BottomLeft };
    std::array<QPointF, 4> corners;

    // The same four points in the order above, whatever order they come in: clockwise around their
    // centre (y grows downwards), starting from the point nearest the picture's top left.
    static PageQuad fromPoints(const std::array<QPointF, 4> &points);
    // The whole picture, for when no page was found.
    static PageQuad whole(QSize picture);

    QPolygonF polygon() const;
    // The longer of the two diagonals, the yardstick of corner accuracy.
    double diagonal() const;
    // The corners scaled by factor (a quad found on a reduced copy, to the full picture).
    PageQuad scaled(double factor) const;
};
