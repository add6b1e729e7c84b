#include "recorder/PauseClock.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using Piece = PauseClock::Piece;

}  // namespace

// For the failure messages.
void PrintTo(const PauseClock::Piece &piece, std::ostream *out) {
    *out << "[" << piece.captureStart << ", " << piece.captureEnd << ") at " << piece.fileStart;
}

namespace {

// Paused from 1000 to 1500 and from 3000 to 3200 (capture clock); a third pause runs since 5000.
PauseClock threePauses() {
    PauseClock clock;
    clock.pause(1000);
    clock.resume(1500);
    clock.pause(3000);
    clock.resume(3200);
    clock.pause(5000);
    return clock;
}

TEST(PauseClock, FileTimeLeavesOutThePausesBeforeItAndHasNoneWithinOne) {
    const PauseClock clock = threePauses();
    const struct {
        std::int64_t capture;
        std::optional<std::int64_t> file;
    } cases[] = {
        {0, 0},       {999, 999},           {1000, std::nullopt}, {1499, std::nullopt},
        {1500, 1000}, {2999, 2499},         {3100, std::nullopt}, {3200, 2500},
        {4999, 4299}, {5000, std::nullopt}, {9000, std::nullopt},
    };
    for (const auto &c : cases) EXPECT_EQ(clock.fileMicros(c.capture), c.file) << "at " << c.capture;
    EXPECT_EQ(clock.pausedMicros(6000), 500 + 200 + 1000);
    EXPECT_EQ(clock.captureMicros(2500), 3200);
}

TEST(PauseClock, ASpanIsCutIntoThePiecesOutsideEveryPause) {
    const PauseClock clock = threePauses();
    const struct {
        std::string name;
        std::int64_t start, end;
        std::vector<Piece> pieces;
    } cases[] = {
        {"before any pause", 0, 500, {{0, 500, 0}}},
        {"up to a pause's start", 900, 1100, {{900, 1000, 900}}},
        {"from a resume on", 1400, 1600, {{1500, 1600, 1000}}},
        {"across two pauses", 900, 3300, {{900, 1000, 900}, {1500, 3000, 1000}, {3200, 3300, 2500}}},
        {"within a pause", 1100, 1400, {}},
        {"into the running pause", 4900, 6000, {{4900, 5000, 4200}}},
    };
    for (const auto &c : cases) EXPECT_EQ(clock.pieces(c.start, c.end), c.pieces) << c.name;
}

TEST(PauseClock, PausingTwiceOrResumingUnpausedChangesNothing) {
    PauseClock clock;
    EXPECT_TRUE(clock.neverPaused());
    EXPECT_FALSE(clock.resume(100));
    EXPECT_TRUE(clock.pause(1000));
    EXPECT_FALSE(clock.pause(1200));
    EXPECT_TRUE(clock.paused());
    EXPECT_EQ(clock.pausedMicros(1700), 700);
    EXPECT_TRUE(clock.resume(2000));
    EXPECT_FALSE(clock.resume(2500));
    EXPECT_FALSE(clock.paused());
    EXPECT_EQ(clock.pausedMicros(9000), 1000);
    // A pause taken by a clock read a little before the last resume begins at that resume.
    EXPECT_TRUE(clock.pause(1990));
    EXPECT_TRUE(clock.resume(2100));
    EXPECT_EQ(clock.pausedMicros(9000), 1100);
    EXPECT_EQ(clock.fileMicros(2100), 1000);
}

}  // namespace
