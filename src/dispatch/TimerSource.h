#pragma once

// A one-shot timer source bound to a serial queue: its handler runs once on the queue after the delay,
// unless the source was cancelled first. Cancelling from the queue is final: a handler already scheduled
// checks the flag and does nothing.

#include "dispatch/SerialQueue.h"

#include <asio/steady_timer.hpp>

#include <functional>
#include <memory>

namespace dispatch {

class TimerSource : public std::enable_shared_from_this<TimerSource> {
public:
    static std::shared_ptr<TimerSource> start(SerialQueuePtr queue, Duration delay, std::function<void()> handler);

    // Must be called on the timer's queue.
    void cancel();
    bool isCancelled() const { return cancelled_; }

    TimerSource(SerialQueuePtr queue, std::function<void()> handler);

private:
    void schedule(Duration delay);

    SerialQueuePtr queue_;
    std::function<void()> handler_;
    asio::steady_timer timer_;
    bool cancelled_ = false;
};

using TimerSourcePtr = std::shared_ptr<TimerSource>;

}  // namespace dispatch
