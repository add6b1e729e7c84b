#include "dispatch/TimerSource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

using namespace std::chrono_literals;

namespace {

TEST(TimerSource, FiresOnceOnItsQueue)
{
    auto queue = dispatch::SerialQueue::create("timer");
    std::promise<bool> fired;
    dispatch::TimerSourcePtr timer;
    queue->sync([&] { timer = dispatch::TimerSource::start(queue, 20ms, [&] { fired.set_value(queue->isCurrent()); }); });
    auto onQueue = fired.get_future();
    ASSERT_EQ(onQueue.wait_for(5s), std::future_status::ready);
    EXPECT_TRUE(onQueue.get());
}

TEST(TimerSource, CancelOnTheQueueIsFinal)
{
    auto queue = dispatch::SerialQueue::create("cancel");
    std::atomic<bool> fired{false};
    queue->sync([&] {
        auto timer = dispatch::TimerSource::start(queue, 0ms, [&] { fired = true; });
        // Even with the deadline already past, a cancel made before the handler runs wins.
        std::this_thread::sleep_for(10ms);
        timer->cancel();
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(fired.load());
}

}  // namespace
