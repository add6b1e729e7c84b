#pragma once

// The pauses of a recording, and the file's clock they leave: capture-clock time with every pause before it
// taken out. While a recording is paused nothing is written, so on resume picture and sound go on at the
// file time where they stopped. Sound comes in buffers, some of them late, so the clock keeps every pause
// and can cut any span of capture time into the pieces that lie outside them.
//
// Times are microseconds on the capture clock (CaptureTimestamps::nowMicros). Pure: the recorder guards it
// and tells it when the user pauses and resumes.

#include <cstdint>
#include <optional>
#include <vector>

class PauseClock {
  public:
    // A stretch of capture time outside every pause, and its place on the file's clock.
    struct Piece {
        std::int64_t captureStart = 0;
        std::int64_t captureEnd = 0;
        std::int64_t fileStart = 0;
        bool operator==(const Piece &) const = default;
    };

    // False, and nothing changes, when already paused (or, for resume, not paused).
    bool pause(std::int64_t nowMicros);
    bool resume(std::int64_t nowMicros);
    bool paused() const { return pausedSince_.has_value(); }

    // Capture time spent paused until nowMicros, the running pause included.
    std::int64_t pausedMicros(std::int64_t nowMicros) const;
    // The file time of captureMicros; none within a pause.
    std::optional<std::int64_t> fileMicros(std::int64_t captureMicros) const;
    // The capture time at which the file's clock reaches fileMicros, once not paused.
    std::int64_t captureMicros(std::int64_t fileMicros) const { return fileMicros + endedMicros_; }
    // The parts of [startMicros, endMicros) outside every pause, in order.
    std::vector<Piece> pieces(std::int64_t startMicros, std::int64_t endMicros) const;
    // No pause has begun yet: every capture time is its own file time.
    bool neverPaused() const { return ended_.empty() && !paused(); }

  private:
    struct Pause {
        std::int64_t start = 0;
        std::int64_t end = 0;
    };

    std::vector<Pause> ended_;      // in order, none empty
    std::int64_t endedMicros_ = 0;  // their length together
    std::optional<std::int64_t> pausedSince_;
};
