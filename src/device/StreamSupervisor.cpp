#include "device/StreamSupervisor.h"

#include <pthread.h>

using namespace std::chrono_literals;

namespace {

constexpr auto kReceiverPoll = 50ms;  // while the receiver is being constructed

// Linux keeps 15 characters of a thread name.
void nameThisThread(const char *name) {
    pthread_setname_np(pthread_self(), std::string(name).substr(0, 15).c_str());
}

void call(const std::function<void()> &hook) {
    if (hook) hook();
}

}  // namespace

StreamSupervisor::StreamSupervisor(ImageRecvTCPSocket &receiver, std::string host, std::uint16_t port,
                                   Hooks hooks, Rhythm rhythm)
    : receiver_(receiver), host_(std::move(host)), port_(port), hooks_(std::move(hooks)), rhythm_(rhythm) {}

StreamSupervisor::~StreamSupervisor() {
    stop();
}

void StreamSupervisor::start() {
    thread_ = std::thread([this] {
        nameThisThread("Thread-StartSocket");
        run();
    });
}

void StreamSupervisor::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void StreamSupervisor::run() {
    while (!receiver_.inited()) {
        if (!pause(kReceiverPoll)) return;
    }
    receiver_.initServer(host_, port_);
    while (!stopping_) {
        if (receiver_.isTimeOut()) {
            call(hooks_.streamLost);
            ++reconnections_;
            // The receiver's wait for pictures is a pause of this thread: stopping cuts it short.
            const bool reconnected = receiver_.func_reconnect_server([this](auto wait) { pause(wait); });
            if (stopping_) break;
            if (!reconnected) {
                pause(rhythm_.afterFailure);
                continue;
            }
            call(hooks_.streamBack);
        }
        if (receiver_.bConnected()) call(hooks_.connectedPass);
        // Also when the stream lives but only carries units the receiver rejects: without a pause the loop
        // would spin a whole core.
        pause(rhythm_.pass);
    }
}

bool StreamSupervisor::pause(std::chrono::microseconds duration) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, duration, [this] { return stopping_.load(); });
}
