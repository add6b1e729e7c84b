#pragma once

// Capture-clock times for microphone buffers. The sound system hands samples over in bursts and sometimes
// late, so a buffer's arrival says little about when its first sample was heard. Samples are evenly spaced,
// though, and a buffer's last sample was heard at the latest when the buffer arrived. The clock therefore
// keeps the earliest offset (arrival - samples so far / rate) of the last 10 seconds and stamps sample n at
// offset + n / rate: late arrivals do not move it, and buffers that came in on time place the others.
// Only the recent ones count because the sound card's clock is not the capture clock: a card a little
// slow delivers fewer samples than the seconds passed, and the offset creeps up; the stamps follow it, and
// the audio track stretches the sound to them.
//
// Nothing delivered can have been heard before the device was opened, nor faster than real time. Samples
// beyond that (sound that waited in the device from before the recording, or a source that runs ahead) are
// the oldest ones of their buffer and are dropped, so the sound never starts before the recording did.
//
// The capture clock is std::chrono::steady_clock in microseconds, the clock the video writer's frame
// slots use too.

#include "recorder/CMTime.h"

#include <cstdint>
#include <deque>

class CaptureTimestamps {
  public:
    static constexpr std::int32_t kTimescale = 1'000'000;

    struct Placement {
        std::uint32_t skip = 0;  // leading frames of the buffer to drop
        CMTime time;             // time of the first frame kept
    };

    CaptureTimestamps(double sampleRate, std::int64_t openedMicros)
        : sampleRate_(sampleRate), openedMicros_(openedMicros) {}

    // Places frames samples that arrived at arrivalMicros (capture clock).
    Placement place(std::uint32_t frames, std::int64_t arrivalMicros);
    static std::int64_t nowMicros();

  private:
    struct Offset {
        std::int64_t arrivalMicros = 0;
        std::int64_t micros = 0;
    };

    std::int64_t microsFor(std::uint64_t frames) const;
    // The earliest offset of the window that ends at arrivalMicros, with offset added.
    std::int64_t earliestOffset(std::int64_t arrivalMicros, std::int64_t offsetMicros);

    const double sampleRate_;
    const std::int64_t openedMicros_;
    std::uint64_t framesSoFar_ = 0;
    // The offsets that may yet be the window's earliest: in arrival order, each smaller than the ones before.
    std::deque<Offset> earliest_;
};
