#pragma once

// Watches one source of a recording (the camera's pictures, the microphone's sound) for spells without
// anything new: a spell starts at the last delivery once nothing has come for longer than the limit, and
// ends at the next delivery. Times are microseconds on the capture clock; the owner polls it from one
// thread.

#include <cstdint>
#include <optional>
#include <vector>

class SilenceWatch {
  public:
    struct Spell {
        std::int64_t startMicros = 0;
        std::optional<std::int64_t> endMicros;  // none: still silent when the recording ended
    };

    SilenceWatch(std::int64_t limitMicros, std::int64_t startMicros)
        : limitMicros_(limitMicros), lastMicros_(startMicros) {}

    // Something new arrived at micros.
    void delivered(std::int64_t micros);
    // Notes a spell when nothing has arrived for longer than the limit by now.
    void check(std::int64_t nowMicros);
    const std::vector<Spell> &spells() const { return spells_; }

  private:
    const std::int64_t limitMicros_;
    std::int64_t lastMicros_;
    bool silent_ = false;
    std::vector<Spell> spells_;
};
