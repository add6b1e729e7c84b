#pragma once

// What the rotation slider asks of its owner.
class CCSliderDelegate {
  public:
    virtual ~CCSliderDelegate() = default;
    // The user double-clicked the slider: straighten the picture.
    virtual void delegate_reset_rotate() = 0;
};
