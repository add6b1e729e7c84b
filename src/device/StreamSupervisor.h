#pragma once

// Supervises the picture stream from its own thread, "Thread-StartSocket": connects the receiver, and
// whenever pictures have stopped for longer than the receiver allows, reconnects it, pausing after a
// reconnection that brought none. The viewer and the command-line tool share this one loop; what differs
// between them is the rhythm and the hooks.
//
// Hooks run on the supervising thread, in this order around a reconnection: streamLost, (the reconnection
// and its wait), streamBack when pictures came; then connectedPass on every pass while pictures arrive.

#include "device/ImageRecvTCPSocket.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class StreamSupervisor {
  public:
    struct Hooks {
        std::function<void()> streamLost;     // before each reconnection
        std::function<void()> streamBack;     // after a reconnection that brought pictures
        std::function<void()> connectedPass;  // each pass while the receiver is connected
    };
    struct Rhythm {
        std::chrono::microseconds pass = std::chrono::milliseconds(10);  // between passes
        std::chrono::microseconds afterFailure =
            std::chrono::seconds(2);  // after a reconnection without pictures
    };

    StreamSupervisor(ImageRecvTCPSocket &receiver, std::string host, std::uint16_t port, Hooks hooks,
                     Rhythm rhythm);
    // Stops and joins the thread.
    ~StreamSupervisor();
    StreamSupervisor(const StreamSupervisor &) = delete;
    StreamSupervisor &operator=(const StreamSupervisor &) = delete;

    // Starts the thread; once only.
    void start();
    // Ends every wait of the thread at once and joins it. Safe to call more than once.
    void stop();

    // Any thread: reconnections started so far (the first is the start-up connection).
    int reconnectionCount() const { return reconnections_.load(); }

  private:
    void run();
    // Waits for duration unless stopping; false when stopping.
    bool pause(std::chrono::microseconds duration);

    ImageRecvTCPSocket &receiver_;
    const std::string host_;
    const std::uint16_t port_;
    const Hooks hooks_;
    const Rhythm rhythm_;

    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::atomic<int> reconnections_{0};
};
