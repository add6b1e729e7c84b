#include "recorder/CMTime.h"

#include <gtest/gtest.h>

namespace {

TEST(CMTime, FrameTimesAddToACaptureClockStartExactly) {
    const CMTime start = CMTimeMake(123'456'789, 1'000'000);
    const CMTime frame = CMTimeAdd(CMTimeMake(26, 25), start);
    EXPECT_EQ(frame.timescale, 1'000'000);
    EXPECT_EQ(frame.value, 123'456'789 + 1'040'000);
    EXPECT_EQ(frame.flags, kCMTimeFlags_Valid);
    EXPECT_EQ(CMTimeSubtract(frame, start).value, 1'040'000);
    EXPECT_DOUBLE_EQ(CMTimeGetSeconds(CMTimeMake(3, 25)), 0.12);
}

TEST(CMTime, AStartTimeThatWasNeverSetAddsNothing) {
    const CMTime notSet = CMTimeMake(0, 0);
    EXPECT_FALSE(CMTimeIsSet(notSet));
    const CMTime frame = CMTimeAdd(CMTimeMake(7, 25), notSet);
    EXPECT_EQ(frame.value, 7);
    EXPECT_EQ(frame.timescale, 25);
    EXPECT_DOUBLE_EQ(CMTimeGetSeconds(notSet), 0);
}

TEST(CMTime, TimescalesWithoutASmallCommonMultipleRoundToTheFinerOne) {
    const CMTime sum = CMTimeAdd(CMTimeMake(1, 1'000'003), CMTimeMake(1, 999'983));
    EXPECT_EQ(sum.timescale, 1'000'003);
    EXPECT_EQ(sum.value, 2);
}

}  // namespace
