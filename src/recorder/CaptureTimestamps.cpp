#include "recorder/CaptureTimestamps.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

constexpr std::int64_t kWindowMicros = 10'000'000;

}  // namespace

std::int64_t CaptureTimestamps::nowMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t CaptureTimestamps::microsFor(std::uint64_t frames) const {
    return std::llround(static_cast<double>(frames) * 1e6 / sampleRate_);
}

CaptureTimestamps::Placement CaptureTimestamps::place(std::uint32_t frames, std::int64_t arrivalMicros) {
    // The most samples that can have been heard since the device was opened.
    const auto heardSinceOpen =
        static_cast<std::uint64_t>(std::max<double>(0, (arrivalMicros - openedMicros_) * sampleRate_ / 1e6));
    const std::uint64_t total = framesSoFar_ + frames;
    Placement placement;
    placement.skip = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(frames, total > heardSinceOpen ? total - heardSinceOpen : 0));
    const std::uint64_t first = framesSoFar_;
    framesSoFar_ += frames - placement.skip;
    const std::int64_t offset = earliestOffset(arrivalMicros, arrivalMicros - microsFor(framesSoFar_));
    placement.time = CMTimeMake(offset + microsFor(first), kTimescale);
    return placement;
}

std::int64_t CaptureTimestamps::earliestOffset(std::int64_t arrivalMicros, std::int64_t offsetMicros) {
    while (!earliest_.empty() && earliest_.back().micros >= offsetMicros) earliest_.pop_back();
    earliest_.push_back(Offset{arrivalMicros, offsetMicros});
    while (earliest_.front().arrivalMicros < arrivalMicros - kWindowMicros) earliest_.pop_front();
    return earliest_.front().micros;
}
