#include "viewer/DisplayGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// sin and cos of a turn in degrees, exact at the quarter turns that the buttons produce, so that a picture
// turned by 90 degrees fits by w and not by w plus rounding noise.
struct SinCos {
    double sin;
    double cos;
};

SinCos sinCosDegrees(double degrees) {
    const double turn = std::fmod(degrees, 360.0);
    if (turn == 0) return {0, 1};
    if (std::fabs(turn) == 180) return {0, -1};
    if (turn == 90 || turn == -270) return {1, 0};
    if (turn == 270 || turn == -90) return {-1, 0};
    const double radians = turn * std::numbers::pi / 180.0;
    return {std::sin(radians), std::cos(radians)};
}

}  // namespace

double DisplayGeometry::func_get_image_max_length(double a, double b) {
    return std::sqrt(a * a + b * b);
}

QString DisplayGeometry::scaleText(double factor) {
    return QString::asprintf("Scale: %.1fx", factor);
}

double DisplayGeometry::leftTurnRotation(double sliderTurn) {
    return std::floor(std::fmod(360.0 - (sliderTurn - 90.0) + 360.0, 360.0));
}

std::optional<double> DisplayGeometry::zoomedIn(double zoom, double maximum) {
    if (zoom >= maximum) return std::nullopt;
    return std::min(maximum, std::round((zoom + kZoomStep) * 10) / 10);
}

double DisplayGeometry::zoomedOut(double zoom, double minimum) {
    return std::max(minimum, std::round((zoom - kZoomStep) * 10) / 10);
}

double DisplayGeometry::rightTurnRotation(double sliderTurn) {
    return std::floor(std::fmod(360.0 - (sliderTurn + 90.0) + 360.0, 360.0));
}

void DisplayGeometry::set_1x1_resolution(QSizeF picture, double sliderTurn, double maxScale) {
    picture_ = picture;
    diagonal_ = func_get_image_max_length(picture.width(), picture.height());
    surfaceSide_ = diagonal_ * maxScale;
    recentre();
    rotation_ = 360.0 - sliderTurn;
    zoom_ = 1.0;
}

std::optional<double> DisplayGeometry::setFitImage() {
    recentre();
    const double factor =
        std::min(area_.height() / turnedPictureHeight(), area_.width() / turnedPictureWidth());
    if (!std::isfinite(factor) || factor <= 0) return std::nullopt;
    zoom_ = factor;
    return factor;
}

void DisplayGeometry::zoomAbout(QPointF areaPoint, double factor) {
    if (!(factor > 0) || !(zoom_ > 0)) return;
    const QPointF half(surfaceSide_ / 2, surfaceSide_ / 2);
    const QPointF centre = dragOrigin_ + half;
    // The square zooms about its centre: moving the centre towards the point by the zoom's ratio keeps
    // the point's picture pixel under it.
    dragOrigin_ = areaPoint - (areaPoint - centre) * (factor / zoom_) - half;
    zoom_ = factor;
}

void DisplayGeometry::recentre() {
    const double half = surfaceSide_ / 2;
    dragOrigin_ = QPointF(area_.width() / 2 - half, area_.height() / 2 - half);
}

void DisplayGeometry::setDragOrigin(QPointF origin) {
    dragOrigin_ = origin;
}

QRectF DisplayGeometry::rotationSquareFrame() const {
    const double inset = (surfaceSide_ - diagonal_) / 2;
    return {inset, inset, diagonal_, diagonal_};
}

QRectF DisplayGeometry::pictureFrame() const {
    return {(diagonal_ - picture_.width()) / 2, (diagonal_ - picture_.height()) / 2, picture_.width(),
            picture_.height()};
}

double DisplayGeometry::turnedPictureHeight() const {
    const auto [sin, cos] = sinCosDegrees(rotation_);
    return std::fabs(picture_.width() * sin) + std::fabs(picture_.height() * cos);
}

double DisplayGeometry::turnedPictureWidth() const {
    const auto [sin, cos] = sinCosDegrees(rotation_);
    return std::fabs(picture_.width() * cos) + std::fabs(picture_.height() * sin);
}

QTransform DisplayGeometry::pictureToArea() const {
    // Read from the bottom up: centre the picture on the origin, mirror and flip it, turn it
    // (counter-clockwise on screen is a negative angle when y points down), zoom it, then move it to the
    // square's centre in the area.
    const QPointF centre = dragOrigin_ + QPointF(surfaceSide_ / 2, surfaceSide_ / 2);
    QTransform transform;
    transform.translate(centre.x(), centre.y());
    transform.scale(zoom_, zoom_);
    transform.rotate(-rotation_);
    transform.scale(orientation_.mirrored ? -1 : 1, orientation_.flipped ? -1 : 1);
    transform.translate(-picture_.width() / 2, -picture_.height() / 2);
    return transform;
}

std::optional<QPointF> DisplayGeometry::areaToPicture(QPointF point) const {
    bool invertible = false;
    const QTransform inverse = pictureToArea().inverted(&invertible);
    if (!invertible || picture_.isEmpty()) return std::nullopt;
    return inverse.map(point);
}
