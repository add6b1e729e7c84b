#include "dispatch/Queue.h"

#include <exception>
#include <future>

namespace dispatch {

void Queue::sync(Task task)
{
    if (isCurrent()) {
        task();
        return;
    }
    std::promise<void> done;
    auto finished = done.get_future();
    async([&task, &done] {
        try {
            task();
            done.set_value();
        } catch (...) {
            done.set_exception(std::current_exception());
        }
    });
    finished.get();
}

}  // namespace dispatch
