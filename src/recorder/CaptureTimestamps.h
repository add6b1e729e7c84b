#pragma once

// Capture-clock times for microphone buffers. The sound system hands samples over in bursts and sometimes
// late, and the first burst may hold samples that waited in the device's buffer, so a buffer's arrival
// says little about when its first sample was heard. Samples are evenly spaced, though: a buffer's last
// sample was heard at the latest when the buffer arrived. The clock therefore keeps the earliest offset
// (arrival - samples so far / rate) seen so far and stamps sample n at offset + n / rate: late arrivals do
// not move it, and the first samples are placed by the buffers that came in on time.
//
// The capture clock is std::chrono::steady_clock in microseconds, the clock the video writer's frame
// slots use too.

#include "recorder/CMTime.h"

#include <cstdint>
#include <limits>

class CaptureTimestamps {
  public:
    static constexpr std::int32_t kTimescale = 1'000'000;

    explicit CaptureTimestamps(double sampleRate) : sampleRate_(sampleRate) {}

    // The time of the first of frames samples that arrived at arrivalMicros (capture clock).
    CMTime stamp(std::uint32_t frames, std::int64_t arrivalMicros);
    static std::int64_t nowMicros();

  private:
    std::int64_t microsFor(std::uint64_t frames) const;

    const double sampleRate_;
    std::uint64_t framesSoFar_ = 0;
    std::int64_t offsetMicros_ = std::numeric_limits<std::int64_t>::max();
};
