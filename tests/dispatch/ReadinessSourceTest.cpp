#include "dispatch/ReadinessSource.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <future>
#include <thread>

using namespace std::chrono_literals;

namespace {

struct Pipe {
    int fds[2] = {-1, -1};
    Pipe() { EXPECT_EQ(pipe(fds), 0); }
    ~Pipe()
    {
        if (fds[0] >= 0) close(fds[0]);
        if (fds[1] >= 0) close(fds[1]);
    }
};

TEST(ReadinessSource, StartsSuspendedThenReportsBytesAvailable)
{
    Pipe pipe;
    auto queue = dispatch::SerialQueue::create("read");
    std::atomic<int> calls{0};
    std::promise<std::size_t> firstEstimate;
    dispatch::ReadinessSourcePtr source;
    queue->sync([&] {
        source = dispatch::ReadinessSource::create(queue, pipe.fds[0], dispatch::ReadinessSource::Kind::Read,
                                                   [&](std::size_t available) {
                                                       if (calls++ == 0) firstEstimate.set_value(available);
                                                       source->suspend();
                                                   });
    });
    ASSERT_EQ(write(pipe.fds[1], "hello", 5), 5);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(calls.load(), 0) << "a new source must wait to be resumed";

    queue->sync([&] { source->resume(); });
    auto estimate = firstEstimate.get_future();
    ASSERT_EQ(estimate.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(estimate.get(), 5u);
    queue->sync([&] { source->cancel(); });
}

TEST(ReadinessSource, KeepsFiringWhileDataWaitsAndStopsWhenSuspended)
{
    Pipe pipe;
    auto queue = dispatch::SerialQueue::create("level");
    std::atomic<int> calls{0};
    dispatch::ReadinessSourcePtr source;
    queue->sync([&] {
        source = dispatch::ReadinessSource::create(queue, pipe.fds[0], dispatch::ReadinessSource::Kind::Read,
                                                   [&](std::size_t) {
                                                       // Never reads: the data stays, so the source fires again.
                                                       if (++calls == 3) source->suspend();
                                                   });
        source->resume();
    });
    ASSERT_EQ(write(pipe.fds[1], "x", 1), 1);
    for (int i = 0; i < 200 && calls < 3; ++i) std::this_thread::sleep_for(5ms);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(calls.load(), 3);

    std::promise<void> cancelled;
    queue->sync([&] {
        source->setCancelHandler([&] { cancelled.set_value(); });
        source->cancel();
        source->resume();  // no effect after cancel
    });
    EXPECT_EQ(cancelled.get_future().wait_for(5s), std::future_status::ready);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(calls.load(), 3);
}

}  // namespace
