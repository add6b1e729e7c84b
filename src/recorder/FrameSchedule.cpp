#include "recorder/FrameSchedule.h"

#include <algorithm>

FrameSchedule::Tick FrameSchedule::tick(std::int64_t nowMicros) {
    const std::int64_t slot = std::max<std::int64_t>(0, (nowMicros - anchorMicros_) * fps_ / 1'000'000);
    const bool first = next_ == 0;
    Tick tick;
    tick.lastSlot = std::max(next_, slot);
    tick.firstSlot = first ? 0 : tick.lastSlot;
    ++counts_.ticks;
    if (!first && tick.lastSlot > next_) {
        tick.late = true;
        tick.skippedSlots = static_cast<std::uint64_t>(tick.lastSlot - next_);
        ++counts_.lateTicks;
        counts_.skippedSlots += tick.skippedSlots;
    }
    return tick;
}
