#pragma once

// A horizontal slider whose value is a double: QSlider counts whole steps, so the value is kept in steps of
// 1 / stepsPerUnit. Setting a value from code never emits valueChanged for it; only the user's moves reach
// the slider's action (doubleValueChanged), as with a slider that sends its action on user input only.

#include <QSlider>

class DoubleSlider : public QSlider {
    Q_OBJECT
  public:
    DoubleSlider(double minimum, double maximum, int stepsPerUnit, QWidget *parent = nullptr);

    double doubleValue() const { return value() / double(stepsPerUnit_); }
    // Clamped to the slider's range, like any slider value.
    void setDoubleValue(double value);
    double minimumDouble() const { return minimum() / double(stepsPerUnit_); }
    double maximumDouble() const { return maximum() / double(stepsPerUnit_); }
    void setDoubleRange(double minimum, double maximum);

  signals:
    void doubleValueChanged(double value);

  private:
    int toSteps(double value) const;

    int stepsPerUnit_;
};
