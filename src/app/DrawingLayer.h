#pragma once

// The strokes as the screen shows them, cached: drawn once into a transparent picture of the view's size
// whenever the strokes, the view's geometry or its size change, then copied onto each new camera picture,
// only where there is ink. Stroking paths with round joins and smoothing costs more than the picture
// itself; a live view repaints 25 or 30 times a second while the strokes rarely change.
//
// While a stroke is being drawn it is painted directly over the cache, which holds the strokes before it,
// so a mouse move does not redraw them all. Thread use: GUI thread (the drag view's painting).

#include "viewer/DrawingSheet.h"

#include <QImage>
#include <QRect>
#include <QTransform>

#include <cstdint>
#include <vector>

class QPainter;

class DrawingLayer {
  public:
    // Side of the squares the cache is copied in, in device pixels.
    static constexpr int kTileSide = 32;

    // Paints sheet's strokes through toArea (picture pixels to the widget) onto painter, a widget of
    // logical size area and pixel ratio ratio, within dirty. lastIsGrowing: the last stroke is being drawn.
    void paint(QPainter &painter, const DrawingSheet &sheet, const QTransform &toArea, QSize area,
               double ratio, const QRect &dirty, bool lastIsGrowing);

    // The parts of the cache with ink, in device pixels: rows of squares, what each repaint copies.
    const std::vector<QRect> &inkedParts() const { return tiles_; }

  private:
    struct Key {
        std::uint64_t revision = 0;
        std::size_t strokes = 0;
        QTransform toArea;
        QSize pixels;
        friend bool operator==(const Key &, const Key &) = default;
    };
    void rebuild(const DrawingSheet &sheet, std::size_t strokes, const QTransform &toArea, double ratio);
    void findInkedTiles(const QRect &within);

    QImage cache_;
    std::vector<QRect> tiles_;  // device pixels of cache_ with ink in them
    Key key_;
    bool valid_ = false;
};
