#pragma once

// The recording's frame slots: slot n begins n / fps seconds after the anchor (capture-clock microseconds
// of media time 0). A tick that comes once the next slot has begun fills it; a tick that comes late, after
// later slots have begun too, skips the ones that went by, so the video keeps pace with the sound. The
// first tick is different: its picture fills every slot up to its own, so the recording has no hole at
// its start. Pure: the frame loop asks it and tells it what happened.

#include <cstdint>

class FrameSchedule {
  public:
    // The slots one tick writes: firstSlot to lastSlot, the same picture in each.
    struct Tick {
        std::int64_t firstSlot = 0;
        std::int64_t lastSlot = 0;
        bool late = false;               // the tick came after the next slot had begun
        std::uint64_t skippedSlots = 0;  // slots the late tick leaves without a frame
    };

    // What the ticks so far did.
    struct Counts {
        std::uint64_t ticks = 0;
        std::uint64_t lateTicks = 0;
        std::uint64_t skippedSlots = 0;
    };

    FrameSchedule(std::int32_t fps, std::int64_t anchorMicros) : fps_(fps), anchorMicros_(anchorMicros) {}

    // When the next slot begins; a tick before then has nothing to do.
    std::int64_t dueMicros() const { return anchorMicros_ + next_ * 1'000'000 / fps_; }
    bool isDue(std::int64_t nowMicros) const { return nowMicros >= dueMicros(); }

    // A tick at nowMicros: the slots it writes. Counts it.
    Tick tick(std::int64_t nowMicros);
    // The tick's picture went into its slots.
    void filled(const Tick &tick) { next_ = tick.lastSlot + 1; }
    // The tick had no picture: its first slot goes by empty.
    void missed(const Tick &tick) { next_ = tick.firstSlot + 1; }

    const Counts &counts() const { return counts_; }

  private:
    const std::int32_t fps_;
    const std::int64_t anchorMicros_;
    std::int64_t next_ = 0;  // the first slot no tick has been given yet
    Counts counts_;
};
