#include "app/DoubleSlider.h"

#include <QSignalBlocker>

#include <algorithm>
#include <cmath>
#include <limits>

DoubleSlider::DoubleSlider(double minimum, double maximum, int stepsPerUnit, QWidget *parent)
    : QSlider(Qt::Horizontal, parent), stepsPerUnit_(stepsPerUnit) {
    setDoubleRange(minimum, maximum);
    connect(this, &QSlider::valueChanged, this, [this] { emit doubleValueChanged(doubleValue()); });
}

void DoubleSlider::setDoubleValue(double value) {
    const QSignalBlocker quiet(this);
    setValue(toSteps(value));
}

void DoubleSlider::setDoubleRange(double minimum, double maximum) {
    const QSignalBlocker quiet(this);
    setRange(toSteps(minimum), toSteps(maximum));
}

int DoubleSlider::toSteps(double value) const {
    // The slider clamps to its range; this only keeps the conversion to int defined.
    constexpr double kLimit = std::numeric_limits<int>::max() / 2;
    if (std::isnan(value)) return minimum();
    return static_cast<int>(std::clamp(std::round(value * stepsPerUnit_), -kLimit, kLimit));
}
