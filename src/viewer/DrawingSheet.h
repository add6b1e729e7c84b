#pragma once

// What the presenter draws over the live picture: pen and highlighter strokes in picture pixel coordinates
// (the camera's own picture, before mirror, flip, turn and zoom), so a stroke stays on the same spot of the
// page however the picture is shown. The strokes belong to one picture size and go when it changes (a new
// camera resolution); every change that the user makes can be undone, one gesture at a time.
//
// Thread use: GUI thread (it is the drag view's); no widgets, so tests drive it directly.

#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QSize>

#include <cstdint>
#include <optional>
#include <vector>

class QPainter;

struct Stroke {
    enum class Kind { Pen, Highlighter };

    Kind kind = Kind::Pen;
    QColor colour;
    double width = 1;             // picture pixels
    std::vector<QPointF> points;  // picture pixels, in drawing order
    QPainterPath path;            // the same points, kept for painting
};

class DrawingSheet {
  public:
    // Undo keeps this many steps; older ones are forgotten.
    static constexpr std::size_t kUndoSteps = 100;
    // How opaque a highlighter stroke is.
    static constexpr int kHighlighterAlpha = 110;

    // The size of the picture the strokes are drawn on. A different size clears strokes and undo history.
    void setPictureSize(QSize size);
    QSize pictureSize() const { return pictureSize_; }

    // A pen or highlighter gesture: a press, moves, a release.
    void beginStroke(Stroke::Kind kind, const QColor &colour, double width, QPointF at);
    void extendStroke(QPointF at);
    // An eraser gesture: each erase removes every stroke that passes within radius of at; the whole gesture
    // is one undo step. Returns whether anything went.
    void beginErase() { eraseCheckpointTaken_ = false; }
    bool eraseAt(QPointF at, double radius);
    void clear();
    // Goes back one step; false when there is nothing to undo.
    bool undo();

    // Counters for caches: revision() changes with every change; baseRevision() with every change except
    // the growth of the last stroke, so everything before the stroke being drawn can stay cached.
    std::uint64_t revision() const { return revision_; }
    std::uint64_t baseRevision() const { return baseRevision_; }

    const std::vector<Stroke> &strokes() const { return strokes_; }
    bool isEmpty() const { return strokes_.empty(); }
    bool canUndo() const { return !history_.empty(); }

    // Paints the strokes with painter's transform taking picture pixels to its device; the first count
    // strokes only, if given.
    void paint(QPainter &painter, std::optional<std::size_t> count = std::nullopt) const;
    static void paintStroke(QPainter &painter, const Stroke &stroke);
    // The strokes burnt into a copy of picture (which has the sheet's size).
    QImage burntInto(const QImage &picture) const;

  private:
    void checkpoint();
    void changed() { baseRevision_ = ++revision_; }
    static bool passesWithin(const Stroke &stroke, QPointF at, double radius);

    QSize pictureSize_;
    std::vector<Stroke> strokes_;
    std::vector<std::vector<Stroke>> history_;  // the strokes before each step, oldest first
    bool eraseCheckpointTaken_ = false;
    std::uint64_t revision_ = 0;
    std::uint64_t baseRevision_ = 0;
};
