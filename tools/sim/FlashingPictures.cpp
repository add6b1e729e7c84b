#include "FlashingPictures.h"

#include "TestCard.h"

#include <QImage>

#include <chrono>

namespace {

std::vector<std::uint8_t> whiteJpeg(int width, int height, int quality) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return encodeJpeg(image, quality);
}

}  // namespace

FlashingPictures::FlashingPictures(std::shared_ptr<PictureSource> pictures, Window window, int width,
                                   int height, int quality)
    : pictures_(std::move(pictures)), window_(window), white_(whiteJpeg(width, height, quality)) {}

std::vector<std::uint8_t> FlashingPictures::picture(std::uint64_t frameNumber) {
    using namespace std::chrono;
    const std::int64_t nowMs = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    const std::int64_t sinceStart = nowMs - window_.startMs;
    const std::int64_t intoWindow = window_.periodMs > 0 ? sinceStart % window_.periodMs : sinceStart;
    if (sinceStart >= 0 && intoWindow < window_.lengthMs) return white_;
    return pictures_->picture(frameNumber);
}
