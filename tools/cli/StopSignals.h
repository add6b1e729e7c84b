#pragma once

// SIGINT or SIGTERM asks a sub-command that runs until told (record, timelapse) to end as if its time
// were up; a second one ends the program at once. A file size limit becomes a write error the writer
// reports instead of killing the program. The handler only records the signal.

#include <atomic>
#include <csignal>

class StopSignals {
  public:
    StopSignals() {
        std::signal(SIGXFSZ, SIG_IGN);
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
    }
    // The signal received, 0 while none was.
    static int received() { return received_.load(); }

  private:
    static void onSignal(int number) { received_ = number; }
    static inline std::atomic<int> received_{0};
    static_assert(std::atomic<int>::is_always_lock_free);
};
