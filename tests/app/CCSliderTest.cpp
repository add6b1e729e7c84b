#include "app/CCSlider.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ResetCounter : public CCSliderDelegate {
  public:
    void delegate_reset_rotate() override { ++resets; }
    int resets = 0;
};

void send(QWidget *widget, QEvent::Type type, QPoint position, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(position), widget->mapToGlobal(QPointF(position)), Qt::LeftButton,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

TEST(CCSlider, DoubleClickAsksTheDelegateAndLeavesTheKnobAlone) {
    CCSlider slider;
    slider.resize(360, 24);
    slider.show();
    ResetCounter delegate;
    slider.setDelegate(&delegate);
    slider.setDoubleValue(123.4);
    int actions = 0;
    QObject::connect(&slider, &DoubleSlider::doubleValueChanged, [&] { ++actions; });

    send(&slider, QEvent::MouseButtonDblClick, QPoint(20, 12), Qt::LeftButton);
    send(&slider, QEvent::MouseButtonRelease, QPoint(20, 12), Qt::NoButton);
    EXPECT_EQ(delegate.resets, 1);
    EXPECT_DOUBLE_EQ(slider.doubleValue(), 123.4);
    EXPECT_EQ(actions, 0);
}

TEST(CCSlider, OtherClicksAreTheSlidersOwnAndSendItsAction) {
    CCSlider slider;
    slider.resize(360, 24);
    slider.show();
    ResetCounter delegate;
    slider.setDelegate(&delegate);
    double reported = -1;
    QObject::connect(&slider, &DoubleSlider::doubleValueChanged, [&](double value) { reported = value; });
    QTest::mouseClick(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(300, 12));
    EXPECT_EQ(delegate.resets, 0);
    EXPECT_GT(slider.doubleValue(), 0);
    EXPECT_EQ(reported, slider.doubleValue());
}

TEST(CCSlider, HoldsEveryTurnValueInTenthsOfADegreeAndIgnoresCodeChanges) {
    CCSlider slider;
    EXPECT_EQ(slider.minimumDouble(), 0.0);
    EXPECT_EQ(slider.maximumDouble(), 360.0);
    int actions = 0;
    QObject::connect(&slider, &DoubleSlider::doubleValueChanged, [&] { ++actions; });
    slider.setDoubleValue(281);
    EXPECT_EQ(slider.doubleValue(), 281.0);
    slider.setDoubleValue(10.5);
    EXPECT_EQ(slider.doubleValue(), 10.5);
    slider.setDoubleValue(400);
    EXPECT_EQ(slider.doubleValue(), 360.0);
    slider.setDoubleValue(std::numeric_limits<double>::infinity());
    EXPECT_EQ(slider.doubleValue(), 360.0);
    EXPECT_EQ(actions, 0);
}

}  // namespace
