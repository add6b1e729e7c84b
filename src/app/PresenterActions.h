#pragma once

// The presenter's actions around the picture that are not drawing tools: copying the picture as shown to
// the clipboard (Ctrl+C), the whiteboard (W, B in the drawing menu) and the time-lapse (the record
// button's menu, Ctrl+T), with the short notices they give over the picture.
//
// Thread use: GUI thread.

#include "app/Notice.h"
#include "app/TimeLapseControl.h"
#include "app/ViewControllerLayout.h"
#include "app/Whiteboard.h"

#include <QObject>

#include <functional>

class PresenterActions : public QObject {
  public:
    struct Hooks {
        // The view shows a camera picture (not the no-device picture).
        std::function<bool()> showsCameraPicture;
        // The camera picture as a capture takes it: mirrored and flipped as shown, strokes when asked.
        std::function<QImage(bool withDrawings)> picture;
        // The view's turn, counter-clockwise degrees.
        std::function<double()> rotation;
        std::function<QString()> saveRoot;
        std::function<void(const QString &text, bool goodNews)> alert;
        // For the whiteboard: the camera picture's size, and back to the camera.
        std::function<QSize()> cameraSize;
        std::function<void()> backToCamera;
    };

    PresenterActions(const ViewControllerLayout &ui, MouseDragView *view, Hooks hooks);

    void copyPicture();
    // Asks for a plan and starts a time-lapse, or stops the one that runs.
    void toggleTimeLapse();
    // Starts a time-lapse of plan at once (the dialog's OK, and tests).
    bool startTimeLapse(const recorder::TimeLapse::Plan &plan);
    const TimeLapseControl &timeLapse() const { return timeLapse_; }
    // The status overlay's time-lapse line; empty while none runs.
    QString timeLapseLine() const;
    const Notice &notice() const { return *notice_; }
    const Whiteboard &whiteboard() const { return whiteboard_; }
    // A short notice over the picture (also for scan mode's outcomes).
    void tell(const QString &text) { notice_->tell(text); }

  private:
    void showTimeLapseState();

    const ViewControllerLayout &ui_;
    Hooks hooks_;
    Notice *notice_;  // over the view, which owns it
    TimeLapseControl timeLapse_;
    Whiteboard whiteboard_;
};
