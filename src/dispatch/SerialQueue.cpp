#include "dispatch/SerialQueue.h"

#include "dispatch/Runtime.h"

#include <asio/post.hpp>
#include <asio/steady_timer.hpp>

namespace dispatch {

std::shared_ptr<SerialQueue> SerialQueue::create(std::string label)
{
    return std::make_shared<SerialQueue>(std::move(label));
}

SerialQueue::SerialQueue(std::string label)
    : Queue(std::move(label)), strand_(asio::make_strand(Runtime::instance().io()))
{
}

void SerialQueue::async(Task task)
{
    asio::post(strand_, std::move(task));
}

void SerialQueue::after(Duration delay, Task task)
{
    auto timer = std::make_shared<asio::steady_timer>(strand_, delay);
    timer->async_wait([timer, task = std::move(task)](const asio::error_code &error) {
        if (!error) task();
    });
}

bool SerialQueue::isCurrent() const
{
    return strand_.running_in_this_thread();
}

}  // namespace dispatch
