#include "recorder/CMTime.h"

#include <cmath>
#include <limits>
#include <numeric>

namespace {

std::int32_t commonTimescale(std::int32_t a, std::int32_t b) {
    const std::int64_t lcm = std::lcm(static_cast<std::int64_t>(a), static_cast<std::int64_t>(b));
    if (lcm <= std::numeric_limits<std::int32_t>::max()) return static_cast<std::int32_t>(lcm);
    return std::max(a, b);
}

// value/timescale expressed in units of 1/target, rounded to the nearest unit.
std::int64_t valueIn(const CMTime &time, std::int32_t target) {
    if (time.timescale == target) return time.value;
    const long double scaled = static_cast<long double>(time.value) * target / time.timescale;
    return static_cast<std::int64_t>(std::llround(scaled));
}

}  // namespace

CMTime CMTimeMake(std::int64_t value, std::int32_t timescale) {
    return CMTime{value, timescale, kCMTimeFlags_Valid, 0};
}

CMTime CMTimeAdd(const CMTime &a, const CMTime &b) {
    if (!CMTimeIsSet(b) || b.timescale <= 0) return a;
    if (!CMTimeIsSet(a) || a.timescale <= 0) return b;
    const std::int32_t timescale = commonTimescale(a.timescale, b.timescale);
    return CMTimeMake(valueIn(a, timescale) + valueIn(b, timescale), timescale);
}

CMTime CMTimeSubtract(const CMTime &a, const CMTime &b) {
    return CMTimeAdd(a, CMTime{-b.value, b.timescale, b.flags, b.epoch});
}

double CMTimeGetSeconds(const CMTime &time) {
    if (time.timescale <= 0) return 0;
    return static_cast<double>(time.value) / time.timescale;
}

std::int64_t CMTimeGetMicros(const CMTime &time) {
    if (time.timescale <= 0) return 0;
    if (time.timescale == 1'000'000) return time.value;
    return static_cast<std::int64_t>(static_cast<long double>(time.value) * 1e6 / time.timescale);
}
