#pragma once

// The figures of the status overlay over the last second: pictures received and shown per second,
// pictures dropped (received but replaced by a newer one before the screen got them), the median time from
// a picture's last byte to the screen, and the stream's bit rate.
//
// The viewer feeds it samples: the receiver's running totals of pictures and bytes, each picture drawn
// with its latency, and the pictures the frame pump skipped. Times are steady-clock microseconds, passed
// in, so tests drive the clock. Thread use: GUI thread.

#include <cstdint>
#include <deque>
#include <optional>

class StreamStatistics {
  public:
    using Micros = std::int64_t;
    static constexpr Micros kWindow = 1'000'000;

    struct Figures {
        double receivedPerSecond = 0;
        double shownPerSecond = 0;
        std::uint64_t droppedLastSecond = 0;
        std::uint64_t droppedTotal = 0;
        std::optional<double> latencyMs;  // median; nothing when no picture was drawn in the last second
        double bitsPerSecond = 0;
    };

    // The receiver's totals so far (they only grow).
    void sampleReceiver(Micros now, std::uint64_t pictures, std::uint64_t bytes);
    void pictureShown(Micros now, Micros latency);
    void picturesDropped(Micros now, std::uint64_t count);

    Figures figures(Micros now) const;

  private:
    struct ReceiverSample {
        Micros time;
        std::uint64_t pictures;
        std::uint64_t bytes;
    };
    struct Event {
        Micros time;
        Micros value;  // latency, or pictures dropped
    };
    void forgetBefore(Micros now);

    std::deque<ReceiverSample> receiver_;
    std::deque<Event> shown_;
    std::deque<Event> dropped_;
    std::uint64_t droppedTotal_ = 0;
};
