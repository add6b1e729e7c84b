#include "viewer/FramePump.h"

#include "base/Log.h"
#include "device/DecodedPictures.h"
#include "device/JpegDecoder.h"

FramePump::FramePump(Hooks hooks) : hooks_(std::move(hooks)) {
    if (!hooks_.nowMicros) hooks_.nowMicros = &FramePump::steadyMicros;
}

std::int64_t FramePump::steadyMicros() {
    // The receiver's clock, so the latency compares like with like.
    return ImageRecvTCPSocket::clockMicros();
}

std::optional<FramePump::Job> FramePump::take(const ImageBytes &latest, double shownScale) {
    ImageBytes bytes = freezeFrame_.take(latest);
    if (!bytes) return std::nullopt;
    // Read on the GUI thread, where the receiver also takes its frames: this is these bytes' arrival.
    return Job{std::move(bytes),
               ++jobs_,
               hooks_.picturesReceived(),
               hooks_.latestArrivalMicros(),
               JpegDecoder::scaleFor(shownScale),
               epoch_};
}

std::optional<FramePump::Job> FramePump::retake(double shownScale) {
    const int wanted = JpegDecoder::scaleFor(shownScale);
    if (!onScreen_ || wanted >= shownAtScale_) return std::nullopt;
    return Job{onScreen_, ++jobs_, shownSequence_, 0, wanted, epoch_, true};
}

FramePump::Decoded FramePump::decode(const Job &job, QImage spare) {
    // Shared with the recorder: a picture both need at this scale is decoded once.
    DecodedPictures::Picture picture =
        DecodedPictures::shared().decode(job.bytes, job.scale, JpegDecoder::Mode::Exact, std::move(spare));
    return Decoded{job, std::move(picture.picture), picture.fullSize};
}

std::optional<FramePump::Shown> FramePump::accept(Decoded decoded, QSizeF laidOutSize) {
    const Job &job = decoded.job;
    if (job.epoch != epoch_ || job.order <= shownOrder_ || (frozen() && !job.again)) return std::nullopt;
    if (job.again && job.bytes != onScreen_) return std::nullopt;
    if (decoded.picture.isNull()) {
        dump_.dump(job.bytes->data(), job.bytes->size());
        deskcam::logLine("[Error]: setNextImage() - temp_nsImg is nil.\r\n");
        return std::nullopt;
    }
    if (!job.again) countDroppedPictures(job);
    shownOrder_ = job.order;
    shownAtScale_ = job.scale;
    onScreen_ = job.bytes;
    const QSize pictureSize = decoded.pictureSize;
    const bool sizeChanged =
        pictureSize.width() != laidOutSize.width() || pictureSize.height() != laidOutSize.height();
    return Shown{std::move(decoded.picture), pictureSize, sizeChanged};
}

std::optional<FramePump::Shown> FramePump::pass(const ImageBytes &latest, QSizeF laidOutSize,
                                                double shownScale) {
    const std::optional<Job> job = take(latest, shownScale);
    if (!job) return std::nullopt;
    return accept(decode(*job), laidOutSize);
}

// Pictures that came in since the one shown before, and were replaced before the screen got them. While
// frozen nothing counts: the view holds on purpose.
void FramePump::countDroppedPictures(const Job &job) {
    if (shownSequence_ != 0 && job.received > shownSequence_ + 1)
        statistics_.picturesDropped(hooks_.nowMicros(), job.received - shownSequence_ - 1);
    shownSequence_ = job.received;
    shownArrivalMicros_ = job.arrivalMicros;
}

void FramePump::forget() {
    freezeFrame_.forget();
    onScreen_.reset();
    ++epoch_;
    shownOrder_ = 0;
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
    ++epoch_;
    shownSequence_ = 0;
}
