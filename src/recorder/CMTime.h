#pragma once

// Media time: value / timescale seconds. Frame times are made from a frame counter over the frame rate and
// added to the recording's start time, which the microphone stamps in microseconds of the capture clock.

#include <cstdint>

constexpr std::uint32_t kCMTimeFlags_Valid = 1;

struct CMTime {
    std::int64_t value = 0;
    std::int32_t timescale = 0;
    std::uint32_t flags = 0;
    std::int64_t epoch = 0;
};

// The recorder's idea of "not set": a time whose value is 0.
inline bool CMTimeIsSet(const CMTime &time) {
    return time.value != 0;
}

CMTime CMTimeMake(std::int64_t value, std::int32_t timescale);
// Sums in the least common timescale of both (or the finer one when that would not fit in 32 bits). A
// time with value 0 adds nothing, whatever its timescale, so a start time that was never set (0/0) leaves
// frame times as they are.
CMTime CMTimeAdd(const CMTime &a, const CMTime &b);
CMTime CMTimeSubtract(const CMTime &a, const CMTime &b);
double CMTimeGetSeconds(const CMTime &time);
// Whole microseconds, exact for the capture clock's own timescale; 0 without a timescale.
std::int64_t CMTimeGetMicros(const CMTime &time);
