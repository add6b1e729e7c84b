#include "base/ThrottledLog.h"

namespace deskcam {

unsigned long long ThrottledLog::count(Clock::time_point now) {
    const std::lock_guard lock(mutex_);
    ++heldBack_;
    if (lastLine_ && now - *lastLine_ < interval_) return 0;
    lastLine_ = now;
    const unsigned long long events = heldBack_;
    heldBack_ = 0;
    return events;
}

}  // namespace deskcam
