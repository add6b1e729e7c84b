#pragma once

// The presenter's actions around the picture that are not drawing tools: copying the picture as shown to
// the clipboard (Ctrl+C), the whiteboard (W, B in the drawing menu), the stills of this run (S shows
// their strip; Left and Right step through them) and the time-lapse (the record button's menu, Ctrl+T),
// with the short notices they give over the picture.
//
// Thread use: GUI thread.

#include "app/Notice.h"
#include "app/StandIn.h"
#include "app/Stills.h"
#include "app/StillsStrip.h"
#include "app/TimeLapseControl.h"
#include "app/ViewControllerLayout.h"

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
        // For the whiteboard and the stills: the camera picture's size, back to the camera, and what
        // stands in changed (the freeze button shows a still as frozen).
        std::function<QSize()> cameraSize;
        std::function<void()> backToCamera;
        std::function<void()> standInChanged;
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
    const StandIn &standIn() const { return standIn_; }
    // The white or black page in place of the picture, or the camera again when it shows.
    void toggleBoard(StandIn::Kind page);

    // A capture or a freeze: the camera picture of the moment with its strokes.
    void keepStill(const QImage &picture, const DrawingSheet &strokes);
    // Shows a still as a frozen picture, or (none) the live picture again.
    void showStill(std::optional<std::size_t> index);
    void stepStill(int direction);
    // Compare: the live picture beside the still shown last (or the newest); off: the single view.
    void setComparing(bool on);
    std::optional<std::size_t> comparedStill() const { return comparedStill_; }
    // What stands in goes; its strokes stay with it.
    void backToLive();
    const Stills &stills() const { return stills_; }
    std::optional<std::size_t> shownStill() const { return shownStill_; }
    const StillsStrip &stillsStrip() const { return *strip_; }
    // A short notice over the picture (also for scan mode's outcomes).
    void tell(const QString &text) { notice_->tell(text); }

  private:
    void showTimeLapseState();
    // Gives the strokes of what stood in to the board or the still they were drawn on.
    void keepStrokes(StandIn::Kind kind, const DrawingSheet &strokes);
    void standInChanged(StandIn::Kind kind);
    void setUpStills(MouseDragView *view);

    const ViewControllerLayout &ui_;
    Hooks hooks_;
    MouseDragView *view_;
    Notice *notice_;  // over the view, which owns it
    TimeLapseControl timeLapse_;
    StandIn standIn_;
    DrawingSheet boardStrokes_;  // the page's, kept while the camera or a still shows
    Stills stills_;
    std::optional<std::size_t> shownStill_;
    std::optional<std::size_t> comparedStill_;
    StillsStrip *strip_ = nullptr;  // under the picture; the picture's area owns it
};
