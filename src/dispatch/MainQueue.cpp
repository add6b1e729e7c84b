#include "dispatch/MainQueue.h"

#include "dispatch/SerialQueue.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace dispatch {
namespace {

std::mutex mainQueueMutex;
QueuePtr installedMainQueue;

}  // namespace

QueuePtr mainQueue()
{
    std::lock_guard lock(mainQueueMutex);
    if (!installedMainQueue) {
        std::fputs("deskcam: the main event queue was used before it was installed\n", stderr);
        std::abort();
    }
    return installedMainQueue;
}

void setMainQueue(QueuePtr queue)
{
    std::lock_guard lock(mainQueueMutex);
    installedMainQueue = std::move(queue);
}

QueuePtr useSerialMainQueue()
{
    auto queue = SerialQueue::create("main");
    setMainQueue(queue);
    return queue;
}

}  // namespace dispatch
