#pragma once

// The teaching tools of the viewer window: freeze holds the view on one picture (the stream, supervision
// and recordings go on); mirror and flip (remembered) orient camera pictures in the view, captures and
// recordings alike; the drag view's drawing tools draw strokes over the picture; the status overlay
// (remembered) shows the stream's figures.
//
// Thread use: GUI thread, except recordedOrientation(), which recording threads read.

#include "app/MouseDragView.h"
#include "app/StatusOverlay.h"
#include "app/ViewControllerLayout.h"
#include "viewer/PictureOrientation.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <functional>

class TeachingTools : public QObject {
    Q_OBJECT
  public:
    struct Hooks {
        std::function<bool()> frozen;
        std::function<void(bool)> setFrozen;
        // Live again: the camera's newest picture, or the no-device picture if it has gone silent.
        std::function<void()> goLive;
        // The view shows a camera picture (the no-device picture is never mirrored or flipped).
        std::function<bool()> showsCameraPicture;
        // The figures the status overlay shows now.
        std::function<StatusOverlay::Status()> status;
        std::function<void()> toggleFullScreen;
    };

    // Connects the tools' controls and restores the remembered switches.
    TeachingTools(const ViewControllerLayout &ui, MouseDragView &view, Hooks hooks);

    void toggleFreeze();
    // The freeze button and the frozen mark as the hooks say now (a still from the strip shows frozen).
    void updateFreezeLook();
    void setMirrored(bool mirrored);
    void setFlipped(bool flipped);
    void setStatusOverlayShown(bool shown);
    bool statusOverlayShown() const { return statusTimer_.isActive(); }
    // What the status overlay says; empty while it is off.
    const QStringList &statusLines() const { return statusLines_; }
    void chooseTool(MouseDragView::Tool tool);
    void undoStroke();
    void clearDrawings();

    PictureOrientation orientation() const { return orientation_; }
    // The orientation of the moment, for the recording threads.
    PictureOrientation recordedOrientation() const { return recordedOrientation_.load(); }
    // Sets the view's orientation for the picture it shows now.
    void applyOrientation();

  private:
    void connectControls();
    void showSwitch(QAction *action, const char *key, bool on);
    void refreshStatus();
    void leaveToolOrFullScreen();
    void updateDrawButton();
    MouseDragView::Tool inkTool() const;

    const ViewControllerLayout &ui_;
    MouseDragView &view_;
    Hooks hooks_;
    PictureOrientation orientation_;
    std::atomic<PictureOrientation> recordedOrientation_{PictureOrientation{}};
    QStringList statusLines_;
    QTimer statusTimer_;                                              // refreshes the overlay while it shows
    MouseDragView::Tool lastDrawingTool_ = MouseDragView::Tool::Pen;  // what the drawing button takes up
};
