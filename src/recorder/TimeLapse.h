#pragma once

// A time-lapse in the making: a picture every few seconds into a folder of its own as numbered PNGs
// ("0001.png", "0002.png", ...), and at the end a film of them (StillsMovie). A moment without a camera
// picture (the camera away) is counted, not numbered, so the numbers have no gap; the summary says how
// many moments were missed. The caller keeps the clock: it hands over the picture of each moment.
//
// Thread use: one thread at a time (the GUI thread, or the command line's).

#include "recorder/StillsMovie.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace recorder {

class TimeLapse {
  public:
    static constexpr std::chrono::seconds kShortestInterval{1};
    static constexpr std::chrono::seconds kLongestInterval{600};

    struct Plan {
        std::chrono::milliseconds every{};
        int count = 0;  // 0: until stopped
    };
    // A plan from the user's figures, or nothing with the reason in error: S from 1 s to 10 min, N >= 0.
    static std::optional<Plan> planFor(double everySeconds, long long count, QString *error);

    // The pictures go into folder, which must not hold pictures of another time-lapse.
    TimeLapse(QString folder, Plan plan);

    const Plan &plan() const { return plan_; }
    const QString &folder() const { return folder_; }
    // Creates the folder; false with the reason in error.
    bool start(QString *error);

    enum class Moment { Taken, Missed, WriteFailed };
    // The picture of this moment; a null one is a missed moment.
    Moment add(const QImage &picture);
    // The plan's count has been taken.
    bool complete() const { return plan_.count > 0 && taken() >= plan_.count; }
    int taken() const { return static_cast<int>(pictures_.size()); }
    int missed() const { return missed_; }
    const QStringList &pictures() const { return pictures_; }

    // The film of the pictures taken; blocks (run it off the GUI thread with many pictures).
    StillsMovie::Result makeFilm(const QString &path) const;

  private:
    QString folder_;
    Plan plan_;
    QStringList pictures_;
    int missed_ = 0;
};

}  // namespace recorder
