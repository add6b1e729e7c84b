#include "viewer/StreamStatistics.h"

#include <gtest/gtest.h>

namespace {

constexpr StreamStatistics::Micros kMs = 1000;

TEST(StreamStatistics, RatesFollowTheStreamAndFallWhenItStalls) {
    StreamStatistics statistics;
    // 20 pictures of 50 kB per second, sampled every 250 ms; of every five, four are shown 28 to 31 ms
    // after their last byte and one is skipped by the frame pump.
    std::uint64_t pictures = 0;
    for (int step = 0; step < 13; ++step) {
        const StreamStatistics::Micros at = step * 250 * kMs;
        statistics.sampleReceiver(at, pictures, pictures * 50'000);
        for (int i = 0; i < 4; ++i) statistics.pictureShown(at + (25 + i * 50) * kMs, (28 + i) * kMs);
        statistics.picturesDropped(at + 200 * kMs, 1);
        pictures += 5;
    }
    const StreamStatistics::Micros end = 13 * 250 * kMs;
    statistics.sampleReceiver(end, pictures, pictures * 50'000);
    StreamStatistics::Figures figures = statistics.figures(end);
    EXPECT_DOUBLE_EQ(figures.receivedPerSecond, 20);
    EXPECT_DOUBLE_EQ(figures.bitsPerSecond, 20 * 50'000 * 8);
    EXPECT_DOUBLE_EQ(figures.shownPerSecond, 16);
    EXPECT_EQ(figures.droppedLastSecond, 4u);
    EXPECT_EQ(figures.droppedTotal, 13u);
    ASSERT_TRUE(figures.latencyMs.has_value());
    EXPECT_DOUBLE_EQ(*figures.latencyMs, 30);

    // The camera stalls: the totals stop growing, and within a second every rate is down to nothing.
    for (int step = 1; step <= 5; ++step) {
        statistics.sampleReceiver(end + step * 250 * kMs, pictures, pictures * 50'000);
        if (step == 2) {
            figures = statistics.figures(end + 500 * kMs);
            EXPECT_GT(figures.receivedPerSecond, 0);
            EXPECT_LT(figures.receivedPerSecond, 20);
        }
    }
    figures = statistics.figures(end + 1250 * kMs);
    EXPECT_EQ(figures.receivedPerSecond, 0);
    EXPECT_EQ(figures.bitsPerSecond, 0);
    EXPECT_EQ(figures.shownPerSecond, 0);
    EXPECT_FALSE(figures.latencyMs.has_value());
    EXPECT_EQ(figures.droppedLastSecond, 0u);
    EXPECT_EQ(figures.droppedTotal, 13u);

    // Sampled again after a minute unwatched: the rates start afresh rather than average over the minute.
    const StreamStatistics::Micros later = end + 60'000 * kMs;
    statistics.sampleReceiver(later, pictures + 1500, pictures * 50'000);
    EXPECT_EQ(statistics.figures(later).receivedPerSecond, 0);
    statistics.sampleReceiver(later + 500 * kMs, pictures + 1510, pictures * 50'000);
    EXPECT_DOUBLE_EQ(statistics.figures(later + 500 * kMs).receivedPerSecond, 20);
}

}  // namespace
