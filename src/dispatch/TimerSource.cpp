#include "dispatch/TimerSource.h"

#include <asio/bind_executor.hpp>

namespace dispatch {

std::shared_ptr<TimerSource> TimerSource::start(SerialQueuePtr queue, Duration delay, std::function<void()> handler)
{
    auto source = std::make_shared<TimerSource>(std::move(queue), std::move(handler));
    source->schedule(delay);
    return source;
}

TimerSource::TimerSource(SerialQueuePtr queue, std::function<void()> handler)
    : queue_(std::move(queue)), handler_(std::move(handler)), timer_(queue_->strand())
{
}

void TimerSource::schedule(Duration delay)
{
    timer_.expires_after(delay);
    timer_.async_wait(asio::bind_executor(queue_->strand(), [self = shared_from_this()](const asio::error_code &error) {
        if (error || self->cancelled_) return;
        self->cancelled_ = true;  // one shot
        auto handler = std::move(self->handler_);
        handler();
    }));
}

void TimerSource::cancel()
{
    if (cancelled_) return;
    cancelled_ = true;
    timer_.cancel();
    handler_ = nullptr;
}

}  // namespace dispatch
