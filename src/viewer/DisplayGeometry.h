#pragma once

// The numbers behind the picture on screen, kept apart from any window so tests can drive them.
//
// The picture sits in a stack of three frames inside the display area:
//   drag surface    M by M (M = D * maxScale), placed anywhere in the display area by dragging;
//   rotation square D by D (D = the picture's diagonal), centred in the drag surface, zoomed about its
//   centre; picture         w by h at its own pixel size, centred in the square, turned about its centre.
// A picture turned by any angle fits in the D by D square, so turning never needs a relayout.
//
// Coordinates are the display area's, in the widget convention: x to the right, y downwards. Turns are
// kept as the picture's counter-clockwise rotation r in degrees; the rotation slider shows the clockwise
// turn s = 360 - r. Mirror and flip (PictureOrientation) act on the picture before its turn; picture
// coordinates are always those of the camera's own, unmirrored picture.

#include "viewer/PictureOrientation.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTransform>

#include <optional>

class DisplayGeometry {
  public:
    static constexpr double kDefaultMaxScale = 2.0;
    // The viewer's: a document camera's page is read zoomed in on a detail.
    static constexpr double kViewerMaxScale = 8.0;
    static constexpr double kMinScale = 0.1;  // the zoom slider's low end
    static constexpr double kZoomStep = 0.1;  // one press of a zoom key

    // sqrt(a * a + b * b): the side of the square that holds a w by h picture at any turn.
    static double func_get_image_max_length(double a, double b);
    // "Scale: %.1fx", the English label's text.
    static QString scaleText(double factor);

    // The picture's new rotation after the turn buttons, from the slider's turn s (fractions are dropped
    // so r is whole degrees). The slider then shows 360 - r.
    static double leftTurnRotation(double sliderTurn);
    static double rightTurnRotation(double sliderTurn);
    // The slider shows the clockwise turn, the picture keeps its counter-clockwise rotation.
    static double sliderTurnFor(double rotation) { return 360.0 - rotation; }
    static double rotationForSlider(double sliderTurn) { return 360.0 - sliderTurn; }

    // The zoom keys' next factor: a step up or down, rounded to the tenth, within [minimum, maximum]. A zoom
    // already at or beyond maximum (a fit past the slider's end) stays as it is: nothing.
    static std::optional<double> zoomedIn(double zoom, double maximum);
    static double zoomedOut(double zoom, double minimum);

    // Size of the display area; the stack is centred in it by recentre().
    void setAreaSize(QSizeF size) { area_ = size; }
    QSizeF areaSize() const { return area_; }

    // Rebuilds the stack for a picture of the given size at zoom 1, turned by the slider's value, centred.
    void set_1x1_resolution(QSizeF picture, double sliderTurn, double maxScale = kDefaultMaxScale);
    // Zoom so the whole turned picture (its bounding box at a free turn) shows in the area, as large as it
    // fits; re-centres. Returns the factor, or nothing when there is nothing to fit (no picture yet, an
    // empty area), in which case only the centring happens.
    std::optional<double> setFitImage();
    // Zooms to factor keeping the picture point under areaPoint where it is (the wheel's zoom).
    void zoomAbout(QPointF areaPoint, double factor);
    void setZoom(double factor) { zoom_ = factor; }
    void setRotation(double degreesCounterClockwise) { rotation_ = degreesCounterClockwise; }
    void setOrientation(PictureOrientation orientation) { orientation_ = orientation; }
    // Puts the drag surface's centre on the area's centre, undoing any drag.
    void recentre();
    // Moves the drag surface so its top-left corner is at origin (area coordinates).
    void setDragOrigin(QPointF origin);

    QSizeF pictureSize() const { return picture_; }
    double diagonal() const { return diagonal_; }
    double zoom() const { return zoom_; }
    double rotation() const { return rotation_; }
    PictureOrientation orientation() const { return orientation_; }
    // Frames in the coordinates of their parent: the area for the drag surface, the drag surface for the
    // square, the square for the picture (before its turn).
    QRectF dragSurfaceFrame() const { return {dragOrigin_, QSizeF(surfaceSide_, surfaceSide_)}; }
    QRectF rotationSquareFrame() const;
    QRectF pictureFrame() const;
    // Height and width of the turned picture's bounding box, before zoom: |w sin r| + |h cos r| and
    // |w cos r| + |h sin r|.
    double turnedPictureHeight() const;
    double turnedPictureWidth() const;
    // Maps picture pixel coordinates to area coordinates: what the painter applies.
    QTransform pictureToArea() const;
    // Maps an area point back to picture pixel coordinates (where the mouse is on the page); nothing while
    // there is no picture to map to.
    std::optional<QPointF> areaToPicture(QPointF point) const;

  private:
    QSizeF area_;
    QSizeF picture_;
    double diagonal_ = 0;
    double surfaceSide_ = 0;
    QPointF dragOrigin_;
    double zoom_ = 1.0;
    double rotation_ = 0;
    PictureOrientation orientation_;
};
