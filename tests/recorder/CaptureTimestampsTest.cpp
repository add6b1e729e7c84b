#include "recorder/CaptureTimestamps.h"

#include <gtest/gtest.h>

namespace {

constexpr double kRate = 1000;  // one sample per millisecond keeps the arithmetic readable

TEST(CaptureTimestamps, ALateFirstBufferIsPlacedByTheBuffersThatCameOnTime) {
    CaptureTimestamps clock(kRate, 0);
    // Samples are heard from t = 0 on. The first 100 are handed over late, at 150 ms.
    EXPECT_EQ(clock.place(100, 150'000).time.value, 50'000);
    // The next ones arrive 5 ms, then 1 ms after their last sample was heard.
    EXPECT_EQ(clock.place(50, 155'000).time.value, 105'000);
    const CaptureTimestamps::Placement third = clock.place(50, 201'000);
    EXPECT_EQ(third.time.value, 151'000);
    EXPECT_EQ(third.time.timescale, CaptureTimestamps::kTimescale);
    EXPECT_EQ(third.skip, 0u);
}

TEST(CaptureTimestamps, LateDeliveriesDoNotMoveLaterStamps) {
    CaptureTimestamps clock(kRate, 0);
    EXPECT_EQ(clock.place(20, 20'000).time.value, 0);
    EXPECT_EQ(clock.place(20, 95'000).time.value, 20'000);  // held up by 55 ms
    EXPECT_EQ(clock.place(20, 96'000).time.value, 40'000);  // the burst after it
    EXPECT_EQ(clock.place(20, 80'000).time.value, 60'000);
}

TEST(CaptureTimestamps, SoundFromBeforeTheOpeningOrAheadOfTheClockIsDropped) {
    // Opened at 1 s; the first buffer, 30 ms later, holds 130 ms: 100 ms waited in the device.
    CaptureTimestamps clock(kRate, 1'000'000);
    const CaptureTimestamps::Placement first = clock.place(130, 1'030'000);
    EXPECT_EQ(first.skip, 100u);
    EXPECT_EQ(first.time.value, 1'000'000);
    EXPECT_EQ(clock.place(20, 1'050'000).time.value, 1'030'000);
    // A source that runs a second ahead of real time loses the excess, oldest first.
    const CaptureTimestamps::Placement ahead = clock.place(1000, 1'060'000);
    EXPECT_EQ(ahead.skip, 990u);
    EXPECT_EQ(ahead.time.value, 1'050'000);
}

TEST(CaptureTimestamps, ASlowSoundCardIsStampedByTheLast10SecondsAndKeepsToTheClock) {
    // 0.1 % slow: each buffer brings 10 samples (10 ms of stamps), but 10.01 ms pass between them.
    CaptureTimestamps clock(kRate, 0);
    std::int64_t heard = 0, placed = 0;
    for (int buffer = 0; buffer < 6000; ++buffer) {  // a minute
        placed = clock.place(10, (buffer + 1) * 10'010).time.value;
        heard = buffer * 10'010;
    }
    // A minute in, the stamps lag the clock by the window's creep (10 s x 0.1 %), where the offset of the
    // first buffers would put them 60 ms early.
    EXPECT_NEAR(placed, heard - 10'000, 1'000);
}

}  // namespace
