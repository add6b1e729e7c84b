#pragma once

// Asks for a time-lapse's plan: a picture every S seconds (1 s to 10 min) and how many (none: until
// stopped). The last plan is offered again.
//
// Thread use: GUI thread.

#include "recorder/TimeLapse.h"

#include <QDialog>

class QDoubleSpinBox;
class QSpinBox;

class TimeLapseDialog : public QDialog {
  public:
    explicit TimeLapseDialog(QWidget *parent = nullptr);

    recorder::TimeLapse::Plan plan() const;
    // Remembers the plan for the next time.
    void remember() const;

  private:
    QDoubleSpinBox *every_ = nullptr;
    QSpinBox *count_ = nullptr;
};
