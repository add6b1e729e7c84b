#pragma once

// The shared concurrent work queue: tasks run side by side on a thread pool. Used for blocking calls
// (host resolution, connect) whose results are posted back to a serial queue.

#include "dispatch/Queue.h"

namespace dispatch {

class WorkQueue : public Queue {
public:
    static std::shared_ptr<WorkQueue> shared();

    void async(Task task) override;
    void after(Duration delay, Task task) override;
    bool isCurrent() const override;

    WorkQueue();
};

}  // namespace dispatch
