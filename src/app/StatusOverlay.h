#pragma once

// The status panel over the top-left corner of the view: a few lines of figures on a dark translucent
// ground. The text is drawn into a cached picture when it changes (a few times a second), so the panel
// costs a blit when the live picture under it repaints.

#include "app/StreamStatistics.h"

#include <QPixmap>
#include <QSize>
#include <QStringList>
#include <QWidget>

#include <optional>

class Localization;

class StatusOverlay : public QWidget {
    Q_OBJECT
  public:
    // Distance from the corner of the view, in pixels.
    static constexpr int kMargin = 12;

    // What the panel says about the stream and the recording.
    struct Status {
        StreamStatistics::Figures figures;
        QSize pictureSize;
        int reconnections = 0;
        std::optional<int> recordingSeconds;  // while a recording runs
    };
    static QStringList lines(const Status &status, const Localization &texts);

    explicit StatusOverlay(QWidget *parent);

    // lastStandsOut: the last line is drawn in red (the recording line).
    void setLines(const QStringList &lines, bool lastStandsOut = false);
    const QStringList &shownLines() const { return lines_; }

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QStringList lines_;
    bool lastStandsOut_ = false;
    QPixmap panel_;
};
