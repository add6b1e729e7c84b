#include "recorder/FrameSchedule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr std::int64_t kAnchor = 5'000'000;  // capture clock of media time 0
constexpr std::int64_t kSlot = 40'000;       // 25 frames per second

// One tick: when it comes, whether it had a picture, the slots it was given and when the next one is due.
struct Step {
    std::int64_t afterAnchor;
    bool picture;
    std::int64_t firstSlot, lastSlot;
    std::uint64_t skipped;  // 0: the tick was not late
    std::int64_t nextDue;   // after the anchor
};

struct Case {
    std::string name;
    std::vector<Step> steps;
};

TEST(FrameSchedule, EachTickIsGivenItsSlotsAndTheNextDueTime) {
    const std::vector<Case> cases = {
        {"ticks on time fill one slot each",
         {{0, true, 0, 0, 0, kSlot},
          {kSlot, true, 1, 1, 0, 2 * kSlot},
          {2 * kSlot + 900, true, 2, 2, 0, 3 * kSlot}}},
        {"a late first tick fills every slot up to its own",
         {{3 * kSlot + 10, true, 0, 3, 0, 4 * kSlot}, {4 * kSlot, true, 4, 4, 0, 5 * kSlot}}},
        {"a late tick skips the slots that went by",
         {{0, true, 0, 0, 0, kSlot}, {3 * kSlot + 10, true, 3, 3, 2, 4 * kSlot}}},
        {"a tick without a picture leaves its slot empty",
         {{0, false, 0, 0, 0, kSlot}, {kSlot, true, 1, 1, 0, 2 * kSlot}}},
        {"a late first tick without a picture leaves only the first slot behind",
         {{3 * kSlot, false, 0, 3, 0, kSlot}, {3 * kSlot + 50, true, 3, 3, 2, 4 * kSlot}}},
        {"a late tick without a picture skips the slots and leaves its own",
         {{0, true, 0, 0, 0, kSlot}, {2 * kSlot, false, 2, 2, 1, 3 * kSlot}}},
        {"a clock before the anchor counts as slot 0", {{-30'000, true, 0, 0, 0, kSlot}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FrameSchedule schedule(25, kAnchor);
        EXPECT_EQ(schedule.dueMicros(), kAnchor);
        std::uint64_t late = 0, skipped = 0;
        for (const Step &step : c.steps) {
            const FrameSchedule::Tick tick = schedule.tick(kAnchor + step.afterAnchor);
            EXPECT_EQ(tick.firstSlot, step.firstSlot);
            EXPECT_EQ(tick.lastSlot, step.lastSlot);
            EXPECT_EQ(tick.late, step.skipped > 0);
            EXPECT_EQ(tick.skippedSlots, step.skipped);
            if (step.picture) {
                schedule.filled(tick);
            } else {
                schedule.missed(tick);
            }
            EXPECT_EQ(schedule.dueMicros(), kAnchor + step.nextDue);
            EXPECT_FALSE(schedule.isDue(kAnchor + step.nextDue - 1));
            EXPECT_TRUE(schedule.isDue(kAnchor + step.nextDue));
            late += step.skipped > 0;
            skipped += step.skipped;
        }
        EXPECT_EQ(schedule.counts().ticks, c.steps.size());
        EXPECT_EQ(schedule.counts().lateTicks, late);
        EXPECT_EQ(schedule.counts().skippedSlots, skipped);
    }
}

TEST(FrameSchedule, SlotsOfRatesThatDoNotDivideASecondBeginOnWholeMicroseconds) {
    // 1/30 s is 33 333.3 µs: slot n begins at the whole microsecond below n / 30 s, never drifting.
    FrameSchedule schedule(30, 0);
    for (std::int64_t slot = 0; slot < 90; ++slot) {
        EXPECT_EQ(schedule.dueMicros(), slot * 1'000'000 / 30);
        const FrameSchedule::Tick tick = schedule.tick(schedule.dueMicros());
        ASSERT_EQ(tick.lastSlot, slot);
        ASSERT_FALSE(tick.late);
        schedule.filled(tick);
    }
    EXPECT_EQ(schedule.dueMicros(), 3'000'000);
    // One frame per second: a tick 2.5 s in is late by one slot.
    FrameSchedule slow(1, 0);
    slow.filled(slow.tick(0));
    const FrameSchedule::Tick tick = slow.tick(2'500'000);
    EXPECT_EQ(tick.lastSlot, 2);
    EXPECT_EQ(tick.skippedSlots, 1u);
}

}  // namespace
