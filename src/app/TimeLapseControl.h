#pragma once

// The window's time-lapse: every few seconds the camera picture as captures take it becomes the next
// numbered PNG of SAVE/ZUVA/CaptureImages/timelapse_T/, and at the end a film of them goes to
// SAVE/ZUVA/RidirOvozev/timelapse_T.mp4 (T the start time, as capture names have it). A moment without a
// camera picture is counted, not numbered. The GUI thread only takes the picture: saving and the film run
// on a worker thread of the control's own, one job after another, so the live picture never waits.
//
// Thread use: GUI thread; the worker reports back through queued calls.

#include "recorder/TimeLapse.h"

#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <functional>
#include <memory>

class TimeLapseControl : public QObject {
    Q_OBJECT
  public:
    struct Progress {
        int taken = 0;
        int count = 0;  // 0: until stopped
        int missed = 0;
    };

    // picture gives the picture of the moment, or a null one when there is no camera picture.
    explicit TimeLapseControl(std::function<QImage()> picture, QObject *parent = nullptr);
    // Waits for the worker, so a film being made is finished.
    ~TimeLapseControl() override;

    bool running() const { return running_; }
    const Progress &progress() const { return progress_; }
    // Starts under the save root, named after when; false with the reason in error. The first picture is
    // taken at once.
    bool start(const recorder::TimeLapse::Plan &plan, const QString &root, const QDateTime &when,
               QString *error);
    // Takes no more pictures and makes the film; finished() follows.
    void stop();

  signals:
    void progressed();
    // What came of it, in the window's language; goodNews false when pictures or the film were lost.
    void finished(const QString &summary, bool goodNews);

  private:
    void takeMoment();
    void tookMoment(recorder::TimeLapse::Moment moment, int taken, int missed);
    void filmMade(const recorder::StillsMovie::Result &made, const QString &film, const QString &folder,
                  int taken, int missed);

    std::function<QImage()> picture_;
    QTimer timer_;
    QThreadPool worker_;                          // one thread: jobs in order
    std::shared_ptr<recorder::TimeLapse> lapse_;  // touched on the worker only, once started
    QString film_;
    Progress progress_;
    bool running_ = false;
    bool writeFailed_ = false;
};
