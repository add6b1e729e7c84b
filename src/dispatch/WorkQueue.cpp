#include "dispatch/WorkQueue.h"

#include "dispatch/Runtime.h"

#include <asio/post.hpp>
#include <asio/steady_timer.hpp>

namespace dispatch {

std::shared_ptr<WorkQueue> WorkQueue::shared()
{
    static const auto queue = std::make_shared<WorkQueue>();
    return queue;
}

WorkQueue::WorkQueue() : Queue("global") {}

void WorkQueue::async(Task task)
{
    asio::post(Runtime::instance().workPool(), std::move(task));
}

void WorkQueue::after(Duration delay, Task task)
{
    auto timer = std::make_shared<asio::steady_timer>(Runtime::instance().workPool(), delay);
    timer->async_wait([timer, task = std::move(task)](const asio::error_code &error) {
        if (!error) task();
    });
}

bool WorkQueue::isCurrent() const
{
    return Runtime::instance().workPool().get_executor().running_in_this_thread();
}

}  // namespace dispatch
