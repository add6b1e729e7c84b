#include "viewer/FramePump.h"

#include "base/Log.h"
#include "device/JpegDecoder.h"

#include <chrono>

FramePump::FramePump(Hooks hooks) : hooks_(std::move(hooks)) {
    if (!hooks_.nowMicros) hooks_.nowMicros = &FramePump::steadyMicros;
}

std::int64_t FramePump::steadyMicros() {
    // The receiver's clock, so the latency compares like with like.
    return ImageRecvTCPSocket::clockMicros();
}

std::optional<FramePump::Shown> FramePump::pass(const ImageBytes &latest, const QImage &onScreen,
                                                QSizeF laidOutSize) {
    const ImageBytes bytes = freezeFrame_.take(latest);
    if (!bytes) return std::nullopt;
    countDroppedPictures();
    QImage picture = std::move(spare_);
    if (!JpegDecoder::decodeInto(bytes->data(), bytes->size(), picture)) {
        dump_.dump(bytes->data(), bytes->size());
        deskcam::logLine("[Error]: setNextImage() - temp_nsImg is nil.\r\n");
        return std::nullopt;
    }
    spare_ = onScreen;
    const bool sizeChanged =
        picture.width() != laidOutSize.width() || picture.height() != laidOutSize.height();
    return Shown{std::move(picture), sizeChanged};
}

// Pictures that came in since the one shown before, and were replaced before the screen got them. While
// frozen nothing counts: the view holds on purpose.
void FramePump::countDroppedPictures() {
    const std::uint64_t sequence = hooks_.picturesReceived();
    if (shownSequence_ != 0 && sequence > shownSequence_ + 1)
        statistics_.picturesDropped(hooks_.nowMicros(), sequence - shownSequence_ - 1);
    shownSequence_ = sequence;
    // Read on the GUI thread, where the receiver also takes its frames: this is the shown picture's arrival.
    shownArrivalMicros_ = hooks_.latestArrivalMicros();
}

void FramePump::forget() {
    freezeFrame_.forget();
    shownSequence_ = 0;
    shownArrivalMicros_ = 0;
}

void FramePump::pictureDrawn() {
    if (shownArrivalMicros_ == 0) return;
    const std::int64_t now = hooks_.nowMicros();
    statistics_.pictureShown(now, now - shownArrivalMicros_);
    shownArrivalMicros_ = 0;
}

void FramePump::setFrozen(bool frozen) {
    freezeFrame_.setFrozen(frozen);
    shownSequence_ = 0;
}
