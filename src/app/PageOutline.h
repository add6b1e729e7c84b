#pragma once

// The page's outline in scan mode, in camera-picture pixels (before mirror, flip and turn): the corners
// found in the live picture, or the user's correction of them, and the rules that join the two. A
// correction holds while the page lies still: once the finder's corners move by more than kMovedFraction
// of the page's diagonal from those the correction was made on, the page has moved and the found corners
// are shown again. With no page found the outline is the whole picture.
//
// Painting and hit testing take the view's picture-to-area transform, so the outline follows zoom, turn,
// pan, mirror and flip as the picture does. Thread use: GUI thread.

#include "scan/PageQuad.h"

#include <QPointF>
#include <QSize>
#include <QTransform>

#include <optional>

class QPainter;

class PageOutline {
  public:
    // How far the found corners may wander (noise, a hand near the page) before the page counts as moved.
    static constexpr double kMovedFraction = 0.03;
    // How near a corner a press grabs it, in screen pixels.
    static constexpr double kGrabRadius = 14;

    // Whether the page has moved from before to now (any corner further than kMovedFraction of before's
    // diagonal).
    static bool pageMoved(const PageQuad &before, const PageQuad &now);
    // The corner of quad within kGrabRadius of areaPoint (the nearest if several), mapped by toArea.
    static std::optional<int> cornerAt(const PageQuad &quad, const QTransform &toArea, QPointF areaPoint);

    // The finder's latest result for a picture of size picture; nothing: no page in it.
    void setFound(const std::optional<PageQuad> &found, QSize picture);
    // Forgets found corners and correction alike (scan mode off, a new picture size).
    void reset();
    // What is shown and scanned: the correction, or else what was found.
    PageQuad quad() const { return corrected_ ? *corrected_ : found_; }
    QSize pictureSize() const { return picture_; }
    bool isCorrected() const { return corrected_.has_value(); }
    bool isEmpty() const { return picture_.isEmpty(); }

    // Puts corner at picturePoint (kept inside the picture); the first move starts a correction.
    void moveCorner(int corner, QPointF picturePoint);

    void paint(QPainter &painter, const QTransform &toArea) const;

  private:
    QSize picture_;
    PageQuad found_;
    std::optional<PageQuad> corrected_;
    PageQuad correctedOn_;  // the found corners when the correction began
};
