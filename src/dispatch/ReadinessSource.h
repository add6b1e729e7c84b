#pragma once

// A descriptor readiness source bound to a serial queue: while resumed, its handler runs on the queue each
// time the descriptor is readable (or writable), with an estimate of the bytes available to read (0 for
// write sources). Like the platform's sources it starts suspended, and it is level-triggered: after the
// handler returns it fires again as long as the descriptor stays ready and the source stays resumed.
//
// The source never closes the descriptor; its owner does that in the cancel handler, which runs on the
// queue once the source has been cancelled.
//
// Every operation must be called on the source's queue.

#include "dispatch/SerialQueue.h"

#include <asio/posix/stream_descriptor.hpp>

#include <cstddef>
#include <functional>
#include <memory>

namespace dispatch {

class ReadinessSource : public std::enable_shared_from_this<ReadinessSource> {
public:
    enum class Kind { Read, Write };
    using Handler = std::function<void(std::size_t bytesAvailable)>;

    static std::shared_ptr<ReadinessSource> create(SerialQueuePtr queue, int fd, Kind kind, Handler handler);
    ~ReadinessSource();

    void setCancelHandler(std::function<void()> handler) { cancelHandler_ = std::move(handler); }

    void resume();
    void suspend();
    // Stops the source for good: the handler is not called again and the cancel handler is queued.
    void cancel();

    bool isSuspended() const { return suspended_; }
    bool isCancelled() const { return cancelled_; }
    int fd() const { return fd_; }

    ReadinessSource(SerialQueuePtr queue, int fd, Kind kind, Handler handler);

private:
    void arm();
    void onReady(const asio::error_code &error);
    std::size_t estimate() const;

    SerialQueuePtr queue_;
    int fd_;
    Kind kind_;
    Handler handler_;
    std::function<void()> cancelHandler_;
    asio::posix::stream_descriptor descriptor_;
    bool suspended_ = true;
    bool cancelled_ = false;
    bool armed_ = false;
};

using ReadinessSourcePtr = std::shared_ptr<ReadinessSource>;

}  // namespace dispatch
