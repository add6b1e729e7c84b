#pragma once

// A generated test card: colour bars and a grid, with the resolution, the frame number and the time drawn
// on it, JPEG-encoded. The frame number is large and the moving bar sweeps once per 50 frames, so a viewer
// (or a recording) shows at a glance whether pictures are fresh.

#include "PictureSource.h"

#include <QImage>

#include <mutex>
#include <vector>

class TestCard : public PictureSource {
  public:
    using Style = PictureStyle;

    explicit TestCard(Style style);

    std::vector<std::uint8_t> picture(std::uint64_t frameNumber) override;
    void setSize(int width, int height) override;

    // The card for frameNumber before encoding (tests and tools may want the pixels).
    QImage draw(std::uint64_t frameNumber);

  private:
    QImage background(int width, int height);

    // --- guarded by mutex_
    std::mutex mutex_;
    Style style_;
    QImage background_;  // cached per size; drawing it is the expensive part
};

// JPEG bytes of a picture, as the camera would send them.
std::vector<std::uint8_t> encodeJpeg(const QImage &image, int quality);
