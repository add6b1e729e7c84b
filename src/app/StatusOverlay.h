#pragma once

// The status panel over the top-left corner of the view: a few lines of figures on a dark translucent
// ground. The text is drawn into a picture when it changes (a few times a second), and the drag view copies
// that picture over each frame: a child widget there would cost more per frame than the panel itself.

#include "viewer/StreamStatistics.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class Localization;

class StatusOverlay {
  public:
    // What the panel says about the stream and the recording.
    struct Status {
        StreamStatistics::Figures figures;
        QSize pictureSize;
        int reconnections = 0;
        std::optional<int> recordingSeconds;  // while a recording runs
        std::uint64_t lateFrames = 0;         // of that recording: left out because encoding fell behind
        QString timeLapse;                    // the time-lapse's progress line while one runs
        bool recordingPaused = false;         // that recording is paused
    };
    static QStringList lines(const Status &status, const Localization &texts);

    // The panel showing lines, for a screen of the given pixel ratio; lastStandsOut: the last line is drawn
    // in red (the recording line).
    static QImage panel(const QStringList &lines, bool lastStandsOut, double ratio);
};
