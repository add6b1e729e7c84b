#include "dispatch/SerialQueue.h"

#include "dispatch/MainQueue.h"
#include "dispatch/WorkQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <vector>

using namespace std::chrono_literals;

namespace {

TEST(SerialQueue, RunsTasksOneAtATimeInOrder)
{
    auto queue = dispatch::SerialQueue::create("order");
    std::vector<int> seen;
    std::atomic<int> running{0};
    bool overlapped = false;
    for (int i = 0; i < 200; ++i) {
        queue->async([&, i] {
            if (++running > 1) overlapped = true;
            seen.push_back(i);
            --running;
        });
    }
    queue->sync([] {});
    ASSERT_EQ(seen.size(), 200u);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(seen[i], i);
    EXPECT_FALSE(overlapped);
}

TEST(SerialQueue, KnowsWhetherCodeRunsOnItAndSyncOnItselfRunsInline)
{
    auto queue = dispatch::SerialQueue::create("current");
    auto other = dispatch::SerialQueue::create("other");
    EXPECT_FALSE(queue->isCurrent());
    bool onQueue = false, onOther = true, nested = false;
    queue->sync([&] {
        onQueue = queue->isCurrent();
        onOther = other->isCurrent();
        queue->sync([&] { nested = true; });
    });
    EXPECT_TRUE(onQueue);
    EXPECT_FALSE(onOther);
    EXPECT_TRUE(nested);
    EXPECT_EQ(queue->label(), "current");
}

TEST(SerialQueue, SyncPassesExceptionsToTheCaller)
{
    auto queue = dispatch::SerialQueue::create("throws");
    EXPECT_THROW(queue->sync([] { throw std::runtime_error("boom"); }), std::runtime_error);
}

TEST(SerialQueue, DelayedTaskWaitsAtLeastItsDelay)
{
    auto queue = dispatch::SerialQueue::create("after");
    std::promise<std::chrono::steady_clock::time_point> fired;
    const auto start = std::chrono::steady_clock::now();
    queue->after(50ms, [&] { fired.set_value(std::chrono::steady_clock::now()); });
    auto when = fired.get_future();
    ASSERT_EQ(when.wait_for(5s), std::future_status::ready);
    EXPECT_GE(when.get() - start, 50ms);
}

TEST(WorkQueue, RunsTasksSideBySide)
{
    auto pool = dispatch::WorkQueue::shared();
    std::promise<void> firstStarted, secondRan;
    std::promise<void> release;
    auto releasedFuture = release.get_future().share();
    pool->async([&, releasedFuture] {
        firstStarted.set_value();
        releasedFuture.wait();
    });
    firstStarted.get_future().wait();
    pool->async([&] { secondRan.set_value(); });
    // The second task runs while the first still blocks its thread.
    EXPECT_EQ(secondRan.get_future().wait_for(5s), std::future_status::ready);
    release.set_value();
}

TEST(MainQueue, HeadlessProgramsUseASerialQueue)
{
    auto installed = dispatch::useSerialMainQueue();
    EXPECT_EQ(dispatch::mainQueue(), installed);
    bool onMain = false;
    dispatch::mainQueue()->sync([&] { onMain = dispatch::mainQueue()->isCurrent(); });
    EXPECT_TRUE(onMain);
}

}  // namespace
