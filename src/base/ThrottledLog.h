#pragma once

// Keeps a repeated log line to one per interval, however often its event happens: a camera that sends junk
// many times a second must not fill the disk with the same line. The caller counts each event and logs
// only when told how many to report:
//
//   if (const auto n = unrequested_.count()) logLine("ignored %llu unrequested replies", n);
//
// Any thread may count.

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>

namespace deskcam {

class ThrottledLog {
  public:
    using Clock = std::chrono::steady_clock;

    explicit ThrottledLog(Clock::duration interval = std::chrono::seconds(1)) : interval_(interval) {}

    // Counts one event at now. Returns the events to report in one line (this one and those held back since
    // the last line), or 0 while the last line is younger than the interval.
    unsigned long long count(Clock::time_point now = Clock::now());

  private:
    const Clock::duration interval_;
    std::mutex mutex_;
    std::optional<Clock::time_point> lastLine_;
    unsigned long long heldBack_ = 0;
};

}  // namespace deskcam
