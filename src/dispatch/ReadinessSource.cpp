#include "dispatch/ReadinessSource.h"

#include <sys/ioctl.h>

#include <asio/bind_executor.hpp>

namespace dispatch {

std::shared_ptr<ReadinessSource> ReadinessSource::create(SerialQueuePtr queue, int fd, Kind kind, Handler handler)
{
    return std::make_shared<ReadinessSource>(std::move(queue), fd, kind, std::move(handler));
}

ReadinessSource::ReadinessSource(SerialQueuePtr queue, int fd, Kind kind, Handler handler)
    : queue_(std::move(queue)), fd_(fd), kind_(kind), handler_(std::move(handler)), descriptor_(queue_->strand())
{
    descriptor_.assign(fd_);
}

ReadinessSource::~ReadinessSource()
{
    // The descriptor belongs to the owner; only unregister it from the reactor.
    asio::error_code ignored;
    descriptor_.cancel(ignored);
    (void)descriptor_.release();
}

void ReadinessSource::resume()
{
    if (cancelled_ || !suspended_) return;
    suspended_ = false;
    arm();
}

void ReadinessSource::suspend()
{
    // A wait already under way is left to complete; onReady sees the flag and does not call the handler.
    suspended_ = true;
}

void ReadinessSource::cancel()
{
    if (cancelled_) return;
    cancelled_ = true;
    asio::error_code ignored;
    descriptor_.cancel(ignored);
    (void)descriptor_.release();
    if (cancelHandler_) queue_->async(std::move(cancelHandler_));
    cancelHandler_ = nullptr;
}

void ReadinessSource::arm()
{
    if (armed_ || suspended_ || cancelled_) return;
    armed_ = true;
    const auto wait = kind_ == Kind::Read ? asio::posix::descriptor_base::wait_read
                                          : asio::posix::descriptor_base::wait_write;
    // Re-registering the wait makes the reactor look at the descriptor again, so readiness that came
    // before the wait is not missed.
    descriptor_.async_wait(wait, asio::bind_executor(queue_->strand(), [self = shared_from_this()](
                                                                          const asio::error_code &error) {
                               self->onReady(error);
                           }));
}

void ReadinessSource::onReady(const asio::error_code &error)
{
    armed_ = false;
    if (error || cancelled_ || suspended_) return;
    handler_(estimate());
    arm();
}

std::size_t ReadinessSource::estimate() const
{
    if (kind_ == Kind::Write) return 0;
    int available = 0;
    if (ioctl(fd_, FIONREAD, &available) != 0 || available < 0) return 0;
    return static_cast<std::size_t>(available);
}

}  // namespace dispatch
