#include "recorder/FrameSampler.h"

#include "device/DecodedPictures.h"
#include "device/JpegDecoder.h"

#include <algorithm>

namespace {

// Longer than this without a new picture is worth telling the user about.
constexpr std::int64_t kCameraSilenceMicros = 3'000'000;

}  // namespace

void FrameSampler::start(std::int64_t startMicros) {
    watch_.emplace(kCameraSilenceMicros, startMicros);
}

QImage FrameSampler::sample(std::int64_t nowMicros) {
    QImage picture = latestPicture(nowMicros);
    if (transform_ && !picture.isNull()) picture = transform_(picture);
    if (watch_) watch_->check(nowMicros);
    return picture.isNull() ? picture : pixelBufferOf(picture);
}

QImage FrameSampler::latestPicture(std::int64_t nowMicros) {
    const FrameBytes bytes = source_ ? source_() : nullptr;
    // The receiver shares one immutable buffer per picture: the same buffer is the same picture, already
    // decoded last tick.
    if (bytes && !bytes->empty() && bytes != lastBytes_) {
        if (watch_) watch_->delivered(nowMicros);
        lastBytes_ = bytes;
        // The track takes 4:2:0 chroma again, so the finer decode would be thrown away; a picture the view
        // decoded at this scale already is taken as it is.
        const int scale = decodeScale(JpegDecoder::declaredSize(bytes->data(), bytes->size()));
        lastPicture_ = DecodedPictures::shared()
                           .decode(bytes, scale, JpegDecoder::Mode::Fast, std::move(lastPicture_))
                           .picture;
        ++decodes_;
    }
    return lastPicture_;
}

// From the header, before decoding: a camera's 5792x5792 picture for a 1080p track is never decoded whole.
int FrameSampler::decodeScale(QSize camera) const {
    if (outputSize_.isEmpty() || camera.isEmpty()) return 1;
    return JpegDecoder::scaleFor(std::max(double(outputSize_.width()) / camera.width(),
                                          double(outputSize_.height()) / camera.height()));
}

std::vector<SilenceWatch::Spell> FrameSampler::silences() const {
    return watch_ ? watch_->spells() : std::vector<SilenceWatch::Spell>{};
}

QImage FrameSampler::pixelBufferOf(const QImage &picture) {
    if (picture.format() == QImage::Format_RGB32) return picture;
    return picture.convertToFormat(QImage::Format_RGB32);
}
