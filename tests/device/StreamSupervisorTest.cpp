#include "device/StreamSupervisor.h"

#include "ImageServer.h"
#include "LoopbackListener.h"
#include "dispatch/MainQueue.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

bool waitUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout = 5s) {
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

long long millisSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class SamePicture : public PictureSource {
  public:
    std::vector<std::uint8_t> picture(std::uint64_t) override { return std::vector<std::uint8_t>(600, 7); }
    void setSize(int, int) override {}
};

// What the hooks saw, in order, and on which thread.
struct HookLog {
    std::mutex mutex;
    std::vector<std::string> events;
    std::vector<std::string> threads;

    StreamSupervisor::Hooks hooks() {
        const auto note = [this](const char *event) {
            return [this, event] {
                char name[16] = {};
                pthread_getname_np(pthread_self(), name, sizeof name);
                std::lock_guard lock(mutex);
                if (!events.empty() && events.back() == event && events.back() == "pass") return;
                events.emplace_back(event);
                threads.emplace_back(name);
            };
        };
        return {note("lost"), note("back"), note("pass")};
    }
    std::vector<std::string> snapshot() {
        std::lock_guard lock(mutex);
        return events;
    }
};

class StreamSupervisorTest : public testing::Test {
  protected:
    dispatch::QueuePtr mainQueue = dispatch::useSerialMainQueue();
    ImageRecvTCPSocket receiver;
    HookLog log;
};

// Wherever the thread waits (the receiver's second for pictures, or the pause after a reconnection that
// brought none), stopping ends the wait at once.
TEST_F(StreamSupervisorTest, StopEndsEveryWaitAtOnce) {
    struct Case {
        const char *waitingIn;
        std::chrono::milliseconds stopAfter;  // after the first reconnection began
    };
    for (const Case &c : {Case{"the wait for pictures", 200ms}, Case{"the pause after a failure", 1400ms}}) {
        SCOPED_TRACE(c.waitingIn);
        ImageRecvTCPSocket silent;
        StreamSupervisor supervisor(silent, "127.0.0.1", closedLoopbackPort(), {}, {10ms, 2s});
        supervisor.start();
        ASSERT_TRUE(waitUntil([&] { return supervisor.reconnectionCount() == 1; }));
        std::this_thread::sleep_for(c.stopAfter);
        const auto stopping = Clock::now();
        supervisor.stop();
        EXPECT_LT(millisSince(stopping), 150);
        EXPECT_EQ(supervisor.reconnectionCount(), 1);
        supervisor.stop();  // again: nothing left to do
    }
}

TEST_F(StreamSupervisorTest, WithoutPicturesReconnectsAfterTheWaitAndThePauseAndNeverReportsTheStreamBack) {
    StreamSupervisor supervisor(receiver, "127.0.0.1", closedLoopbackPort(), log.hooks(), {10ms, 300ms});
    const auto started = Clock::now();
    supervisor.start();
    ASSERT_TRUE(waitUntil([&] { return supervisor.reconnectionCount() == 1; }));
    EXPECT_LT(millisSince(started), 500) << "the first reconnection comes at once";
    const auto first = Clock::now();
    ASSERT_TRUE(waitUntil([&] { return supervisor.reconnectionCount() == 2; }));
    // The receiver's one second for pictures, then the pause.
    EXPECT_GE(millisSince(first), 1250);
    EXPECT_LE(millisSince(first), 2000);
    supervisor.stop();
    EXPECT_EQ(log.snapshot(), (std::vector<std::string>{"lost", "lost"}));
}

TEST_F(StreamSupervisorTest, ACameraIsReportedLostThenBackThenEveryPassOnTheSupervisingThread) {
    ImageServer::Config config;
    config.port = 0;
    config.fps = 50;
    ImageServer camera(config, std::make_shared<SamePicture>());
    std::string error;
    ASSERT_TRUE(camera.start(error)) << error;

    StreamSupervisor supervisor(receiver, "127.0.0.1", camera.port(), log.hooks(), {});
    supervisor.start();
    ASSERT_TRUE(waitUntil([&] { return log.snapshot().size() >= 3; }));
    supervisor.stop();
    EXPECT_EQ(log.snapshot(), (std::vector<std::string>{"lost", "back", "pass"}));
    EXPECT_EQ(supervisor.reconnectionCount(), 1) << "the start-up connection only";
    for (const std::string &thread : log.threads) EXPECT_EQ(thread, "Thread-StartSoc");
}

}  // namespace
