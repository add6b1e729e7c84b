#pragma once

// An event queue in the sense the rest of the program uses: work submitted to it runs one piece at a time
// (serial queues) or side by side (the shared work queue), asynchronously, synchronously or after a delay.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace dispatch {

using Task = std::function<void()>;
using Duration = std::chrono::steady_clock::duration;

class Queue : public std::enable_shared_from_this<Queue> {
public:
    explicit Queue(std::string label) : label_(std::move(label)) {}
    virtual ~Queue() = default;
    Queue(const Queue &) = delete;
    Queue &operator=(const Queue &) = delete;

    const std::string &label() const { return label_; }

    // Runs task later on this queue; returns at once.
    virtual void async(Task task) = 0;
    // Runs task on this queue after delay.
    virtual void after(Duration delay, Task task) = 0;
    // True when the calling code already runs on this queue.
    virtual bool isCurrent() const = 0;

    // Runs task on this queue and waits for it. Runs inline when already on the queue, so a queue may
    // call sync on itself without dead-locking.
    virtual void sync(Task task);

private:
    std::string label_;
};

using QueuePtr = std::shared_ptr<Queue>;

}  // namespace dispatch
