#pragma once

// A labelled serial queue: an Asio strand over the shared io_context. Work runs one piece at a time, in
// submission order; readiness sources and timers bound to the queue run their handlers on it too.

#include "dispatch/Queue.h"

#include <asio/io_context.hpp>
#include <asio/strand.hpp>

namespace dispatch {

class SerialQueue : public Queue {
public:
    using Strand = asio::strand<asio::io_context::executor_type>;

    static std::shared_ptr<SerialQueue> create(std::string label);

    void async(Task task) override;
    void after(Duration delay, Task task) override;
    bool isCurrent() const override;

    const Strand &strand() const { return strand_; }

    explicit SerialQueue(std::string label);

private:
    Strand strand_;
};

using SerialQueuePtr = std::shared_ptr<SerialQueue>;

}  // namespace dispatch
