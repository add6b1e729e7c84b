#pragma once

// A picture shown in place of the camera picture: the whiteboard's blank page, or a still of this run
// picked from the stills strip. The camera link keeps running behind it. It has strokes of its own: the
// camera picture's strokes come back with the camera. A capture takes it (with its strokes when asked); a
// recording records it with its strokes, from JPEG bytes renewed shortly after the strokes change.
//
// Thread use: GUI thread, except frameBytes(), which recording threads read.

#include "app/MouseDragView.h"
#include "device/ImageRecvTCPSocket.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <mutex>

class StandIn : public QObject {
  public:
    enum class Kind { None, WhitePage, BlackPage, Still };
    // Strokes reach a running recording this long after they change, at most.
    static constexpr int kRecordedAfterMs = 200;

    struct Hooks {
        // The view goes back to the camera's newest picture (or the no-device picture).
        std::function<void()> backToCamera;
        // What stands in changed (None: the camera again).
        std::function<void(Kind kind)> changed;
    };

    StandIn(MouseDragView &view, Hooks hooks);

    Kind kind() const { return kind_; }
    bool on() const { return kind_ != Kind::None; }
    // Shows picture with its strokes in place of what the view shows; returns the strokes of what stood
    // in before (empty when that was the camera, whose strokes are kept for its return).
    DrawingSheet show(Kind kind, const QImage &picture, const DrawingSheet &strokes);
    // The camera again; returns the strokes of what stood in.
    DrawingSheet leave();
    // The picture as a capture takes it, unturned; null while off.
    QImage picture(bool withDrawings) const;
    // Any thread: the picture with its strokes, encoded, for a recording; null while off.
    ImageBytes frameBytes() const;

  private:
    void encodeForRecording();

    MouseDragView &view_;
    Hooks hooks_;
    Kind kind_ = Kind::None;
    QImage picture_;
    DrawingSheet cameraStrokes_;  // kept while something stands in
    QTimer encodeTimer_;
    mutable std::mutex bytesMutex_;
    ImageBytes bytes_;
};
