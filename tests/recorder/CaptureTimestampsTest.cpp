#include "recorder/CaptureTimestamps.h"

#include <gtest/gtest.h>

namespace {

constexpr double kRate = 1000;  // one sample per millisecond keeps the arithmetic readable

TEST(CaptureTimestamps, ALateFirstBufferIsPlacedByTheBuffersThatCameOnTime) {
    CaptureTimestamps clock(kRate);
    // Samples are heard from t = 0 on. The first 100 waited in the device and come at 150 ms.
    EXPECT_EQ(clock.stamp(100, 150'000).value, 50'000);
    // The next ones arrive 5 ms, then 1 ms after their last sample was heard.
    EXPECT_EQ(clock.stamp(50, 155'000).value, 105'000);
    const CMTime third = clock.stamp(50, 201'000);
    EXPECT_EQ(third.value, 151'000);
    EXPECT_EQ(third.timescale, CaptureTimestamps::kTimescale);
}

TEST(CaptureTimestamps, LateDeliveriesDoNotMoveLaterStamps) {
    CaptureTimestamps clock(kRate);
    EXPECT_EQ(clock.stamp(20, 20'000).value, 0);
    EXPECT_EQ(clock.stamp(20, 95'000).value, 20'000);  // held up by 55 ms
    EXPECT_EQ(clock.stamp(20, 96'000).value, 40'000);  // the burst after it
    EXPECT_EQ(clock.stamp(20, 80'000).value, 60'000);
}

}  // namespace
