#pragma once

// The camera side of the viewer benchmark: serves the simulator's wire frames (its test card, its frame
// writer) on a loopback port at a fixed rate and notes when the last byte of each frame has been handed to
// the kernel, on the same clock as the viewer's side. A new connection takes over from the previous one, as
// a camera serves the viewer's reconnection.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

class TimedSender {
  public:
    using Clock = std::chrono::steady_clock;

    // units: the wire frames to send in turn, frame n being units[n % units.size()].
    TimedSender(std::vector<std::vector<std::uint8_t>> units, double fps);
    ~TimedSender();

    // Listens on 127.0.0.1 at any free port; returns the port, 0 on failure.
    std::uint16_t start();
    void stop();

    // When the last byte of the newest frame n with n % units == unit was sent (nothing if none yet).
    bool lastSentTime(std::size_t unit, Clock::time_point &sentAt) const;
    // CPU time the sender's thread has used so far.
    std::chrono::nanoseconds cpuTime() const { return std::chrono::nanoseconds(cpuNanos_.load()); }

  private:
    void run();
    int acceptPending(int current);
    bool sendAll(int fd, const std::vector<std::uint8_t> &bytes);

    const std::vector<std::vector<std::uint8_t>> units_;
    const double fps_;
    int listenFd_ = -1;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<std::int64_t> cpuNanos_{0};

    // --- guarded by mutex_
    mutable std::mutex mutex_;
    std::vector<Clock::time_point> sentAt_;  // per unit
    std::vector<bool> sent_;
};
