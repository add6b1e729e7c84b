#include "app/CCSlider.h"

#include <QMouseEvent>

namespace {

// Tenths of a degree: fine enough for free turning, and the range holds every value the turn buttons write.
constexpr int kStepsPerDegree = 10;

}  // namespace

CCSlider::CCSlider(QWidget *parent) : DoubleSlider(0.0, 360.0, kStepsPerDegree, parent) {
    setSingleStep(kStepsPerDegree);     // arrow keys: one degree
    setPageStep(15 * kStepsPerDegree);  // page keys: 15 degrees
}

void CCSlider::mouseDoubleClickEvent(QMouseEvent *event) {
    // QWidget's default would treat the second click as a press and move the knob.
    event->accept();
    if (delegate_) delegate_->delegate_reset_rotate();
}
