#pragma once

// One press of "Add page" or "Copy text": the camera picture of that moment and the outline on it, taken
// on the GUI thread in a few microseconds (the picture's encoded bytes are shared, not copied), and turned
// into the straightened page on a worker, where the full-size decode and the warp cost tens of
// milliseconds.
//
// The page is the room's view of it: mirrored and flipped as the view shows it (as captures are), with the
// outline's corners taken along.

#include "device/ImageRecvTCPSocket.h"
#include "scan/PageQuad.h"
#include "viewer/PictureOrientation.h"

#include <QImage>
#include <QSize>

struct ScanShot {
    ImageBytes bytes;   // the camera's picture as it came
    QImage shown;       // the view's picture, used when the bytes do not decode
    QSize pictureSize;  // the camera picture's own size, which quad counts in
    PageQuad quad;      // in camera-picture pixels, before orientation
    PictureOrientation orientation;

    // quad in the oriented picture's pixels, corners renamed to where they now lie (a mirror swaps left
    // and right).
    static PageQuad orientedQuad(const PageQuad &quad, PictureOrientation orientation, QSize pictureSize);

    // The page upright at the picture's full size; null when there is no picture. Any thread.
    QImage straightened() const;
};
