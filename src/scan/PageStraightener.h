#pragma once

// Turns the page seen at a slant into an upright picture of the page alone, as if photographed straight
// from above: a perspective warp of the full-size camera picture onto a rectangle.
//
// The rectangle has the page's own aspect ratio, estimated from the corners: a camera looking down at a
// slant shortens the far half of the page, so the sides' lengths alone would make a page too short. The
// estimate takes the camera's focal length from the quadrilateral itself (its optical centre at the
// picture's centre, square pixels) and falls back to the sides' lengths where the quadrilateral is
// (nearly) a parallelogram and the focal length cannot be told. Its size keeps about the page's
// resolution in the picture: the longer of each pair of opposite sides sets the scale.
//
// Thread use: stateless, any thread. A 3840x2160 picture takes a few tens of milliseconds: not on the
// GUI thread.

#include "scan/PageQuad.h"

#include <QImage>
#include <QSize>

class PageStraightener {
  public:
    // The page's width over its height, as it is on paper; quad in pixels of a picture of pictureSize.
    static double aspectRatio(const PageQuad &quad, QSize pictureSize);
    // The straightened page's size in pixels; empty for a degenerate quad.
    static QSize pageSize(const PageQuad &quad, QSize pictureSize);
    // The page upright, Format_RGB32 (Format_Grayscale8 for a grey picture); null for a null picture or a
    // degenerate quad.
    static QImage straighten(const QImage &picture, const PageQuad &quad);
};
