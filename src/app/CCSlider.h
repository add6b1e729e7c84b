#pragma once

// The rotation slider: a slider of degrees whose double click asks the delegate to straighten the picture.
// The second click of a double click is not handed to the slider, so the knob does not jump to the mouse.

#include "app/CCSliderDelegate.h"
#include "app/DoubleSlider.h"

class CCSlider : public DoubleSlider {
    Q_OBJECT
  public:
    explicit CCSlider(QWidget *parent = nullptr);

    CCSliderDelegate *delegate() const { return delegate_; }
    // Not owned; the delegate outlives the slider (it is the window's controller).
    void setDelegate(CCSliderDelegate *delegate) { delegate_ = delegate; }

  protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

  private:
    CCSliderDelegate *delegate_ = nullptr;
};
