#pragma once

// The stills of this run: every capture and every freeze keeps the camera picture of that moment with its
// strokes, to be shown again from the stills strip. They live as long as the window; the captures' files
// stay in the library as ever.
//
// Thread use: GUI thread.

#include "viewer/DrawingSheet.h"

#include <QImage>

#include <optional>
#include <vector>

class Stills {
  public:
    static constexpr int kThumbnailHeight = 72;
    // Far more than a lesson takes; the oldest go first beyond it, so a long run's memory stays bounded.
    static constexpr std::size_t kMostStills = 60;

    struct Still {
        QImage picture;  // as the camera sent it (unturned, unmirrored)
        DrawingSheet strokes;
        QImage thumbnail;
    };

    // Keeps picture with its strokes; returns its index.
    std::size_t add(const QImage &picture, const DrawingSheet &strokes);
    std::size_t size() const { return stills_.size(); }
    bool empty() const { return stills_.empty(); }
    const Still &at(std::size_t index) const { return stills_.at(index); }
    // The strokes drawn on a still while it showed.
    void setStrokes(std::size_t index, const DrawingSheet &strokes) { stills_.at(index).strokes = strokes; }

    // The next still from current (none: from the live picture) in direction (+1, -1), or none past either
    // end.
    static std::optional<std::size_t> step(std::optional<std::size_t> current, int direction,
                                           std::size_t count);

  private:
    std::vector<Still> stills_;
};
