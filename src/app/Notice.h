#pragma once

// A short message over the bottom of the picture that goes by itself ("Picture copied"): for outcomes that
// need no answer, so nothing stops the presenter. It does not take the mouse.
//
// Thread use: GUI thread.

#include <QLabel>
#include <QTimer>

#include <chrono>

class Notice : public QLabel {
  public:
    static constexpr std::chrono::milliseconds kShownFor{2500};

    explicit Notice(QWidget *over);
    // Shows text (replacing one that shows) for kShownFor.
    void tell(const QString &text);

  private:
    void place();

    QTimer hideTimer_;
};
