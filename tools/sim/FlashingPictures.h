#pragma once

// A picture source that shows a plain white picture during a window of wall-clock time, once or again
// every period, for checking that a recording's picture and sound line up: a tone played during the same
// windows must start and end with the flashes.

#include "PictureSource.h"

#include <cstdint>
#include <memory>

class FlashingPictures : public PictureSource {
  public:
    struct Window {
        std::int64_t startMs = 0;  // milliseconds since the Unix epoch (CLOCK_REALTIME)
        std::int64_t lengthMs = 0;
        std::int64_t periodMs = 0;  // 0: once
    };

    FlashingPictures(std::shared_ptr<PictureSource> pictures, Window window, int width, int height,
                     int quality);

    std::vector<std::uint8_t> picture(std::uint64_t frameNumber) override;
    void setSize(int width, int height) override { pictures_->setSize(width, height); }

  private:
    const std::shared_ptr<PictureSource> pictures_;
    const Window window_;
    const std::vector<std::uint8_t> white_;
};
