#pragma once

// The whiteboard: a blank page, white or black, at the camera's picture size in place of the camera
// picture, for the drawing tools. The camera link keeps running behind it. The page has strokes of its
// own: the camera picture's strokes come back with the camera. A capture takes the page (with its strokes
// when asked); a recording records the page with its strokes, from JPEG bytes renewed shortly after the
// strokes change.
//
// Thread use: GUI thread, except frameBytes(), which recording threads read.

#include "app/MouseDragView.h"
#include "device/ImageRecvTCPSocket.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <mutex>

class Whiteboard : public QObject {
  public:
    enum class Page { None, White, Black };
    // The page's size when no camera picture has been seen.
    static constexpr QSize kDefaultSize{1920, 1080};
    // Strokes reach a running recording this long after they change, at most.
    static constexpr int kRecordedAfterMs = 200;

    struct Hooks {
        // The camera picture's size, or an invalid size before the first picture.
        std::function<QSize()> cameraSize;
        // The view goes back to the camera's newest picture (or the no-device picture).
        std::function<void()> backToCamera;
        // The page came or went.
        std::function<void(Page page)> changed;
    };

    Whiteboard(MouseDragView &view, Hooks hooks);

    Page page() const { return page_; }
    bool on() const { return page_ != Page::None; }
    // Shows page in the view (None: the camera again); showing the page on show goes back to the camera.
    void toggle(Page page);
    // The page as a capture takes it.
    QImage picture(bool withDrawings) const;
    // Any thread: the page with its strokes, encoded, for a recording; null while the whiteboard is off.
    ImageBytes frameBytes() const;

  private:
    void show(Page page);
    void encodeForRecording();

    MouseDragView &view_;
    Hooks hooks_;
    Page page_ = Page::None;
    QImage blank_;
    DrawingSheet boardStrokes_;   // kept while the camera shows
    DrawingSheet cameraStrokes_;  // kept while the page shows
    QTimer encodeTimer_;
    mutable std::mutex bytesMutex_;
    ImageBytes bytes_;
};
