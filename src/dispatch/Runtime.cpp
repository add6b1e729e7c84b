#include "dispatch/Runtime.h"

#include <thread>

namespace dispatch {
namespace {

// Serial queues block their thread in sync calls and in handlers that sleep, so a few more threads than
// cores keep one blocked queue from holding up the others.
constexpr int kIoThreads = 4;
// Blocking connect calls each hold a thread for up to their timeout.
constexpr int kWorkThreads = 8;

}  // namespace

Runtime &Runtime::instance()
{
    // Never destroyed: queues, sources and the threads serving them end with the process, and tearing them
    // down during static destruction would race with handlers still running.
    static Runtime &runtime = *new Runtime;
    return runtime;
}

Runtime::Runtime() : keepRunning_(asio::make_work_guard(io_)), workPool_(kWorkThreads)
{
    for (int i = 0; i < kIoThreads; ++i) {
        std::thread([this] { io_.run(); }).detach();
    }
}

}  // namespace dispatch
