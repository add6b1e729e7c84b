#include "app/QtMainQueue.h"

#include "dispatch/MainQueue.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

QThread *guiThread() {
    return QCoreApplication::instance()->thread();
}

TEST(QtMainQueue, WorkFromAnotherThreadRunsOnTheGuiThreadInOrder) {
    auto queue = dispatch::mainQueue();
    std::vector<int> seen;
    std::atomic<bool> allOnGui{true};
    std::thread worker([&] {
        EXPECT_FALSE(queue->isCurrent());
        for (int i = 0; i < 100; ++i) {
            queue->async([&, i] {
                if (QThread::currentThread() != guiThread()) allOnGui = false;
                seen.push_back(i);
            });
        }
    });
    worker.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() == 100; }, 2000));
    for (int i = 0; i < 100; ++i) EXPECT_EQ(seen[i], i);
    EXPECT_TRUE(allOnGui);
    EXPECT_TRUE(queue->isCurrent());
}

TEST(QtMainQueue, SyncFromAnotherThreadWaitsAndOnTheGuiThreadRunsInline) {
    auto queue = dispatch::mainQueue();
    std::atomic<bool> ranOnGui{false}, returned{false};
    std::thread worker([&] {
        queue->sync([&] { ranOnGui = QThread::currentThread() == guiThread(); });
        returned = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return returned.load(); }, 2000));
    worker.join();
    EXPECT_TRUE(ranOnGui);
    bool inline_ = false;
    queue->sync([&] { inline_ = true; });
    EXPECT_TRUE(inline_);
}

TEST(QtMainQueue, DelayedWorkFromAnyThreadWaitsItsDelay) {
    auto queue = dispatch::mainQueue();
    QElapsedTimer clock;
    clock.start();
    std::atomic<qint64> firedAfter{-1};
    std::atomic<bool> onGui{false};
    std::thread worker([&] {
        queue->after(60ms, [&] {
            onGui = QThread::currentThread() == guiThread();
            firedAfter = clock.elapsed();
        });
    });
    worker.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return firedAfter >= 0; }, 2000));
    EXPECT_GE(firedAfter.load(), 60);
    EXPECT_TRUE(onGui);
}

}  // namespace
