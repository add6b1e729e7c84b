#include "recorder/CaptureTimestamps.h"

#include <algorithm>
#include <chrono>
#include <cmath>

std::int64_t CaptureTimestamps::nowMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t CaptureTimestamps::microsFor(std::uint64_t frames) const {
    return std::llround(static_cast<double>(frames) * 1e6 / sampleRate_);
}

CMTime CaptureTimestamps::stamp(std::uint32_t frames, std::int64_t arrivalMicros) {
    const std::uint64_t first = framesSoFar_;
    framesSoFar_ += frames;
    offsetMicros_ = std::min(offsetMicros_, arrivalMicros - microsFor(framesSoFar_));
    return CMTimeMake(offsetMicros_ + microsFor(first), kTimescale);
}
