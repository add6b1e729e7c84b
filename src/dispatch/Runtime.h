#pragma once

// The threads behind every queue: one io_context whose threads serve all serial queues, their readiness
// sources and timers, and one thread pool that is the shared concurrent work queue (host resolution and
// blocking connect calls). Both live for the whole process, like the platform's own queues.

#include <asio/io_context.hpp>
#include <asio/thread_pool.hpp>

namespace dispatch {

class Runtime {
public:
    static Runtime &instance();

    asio::io_context &io() { return io_; }
    asio::thread_pool &workPool() { return workPool_; }

private:
    Runtime();

    asio::io_context io_;
    asio::executor_work_guard<asio::io_context::executor_type> keepRunning_;
    asio::thread_pool workPool_;
};

}  // namespace dispatch
