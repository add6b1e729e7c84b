#include "TimedSender.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace {

std::int64_t threadCpuNanos() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

}  // namespace

TimedSender::TimedSender(std::vector<std::vector<std::uint8_t>> units, double fps)
    : units_(std::move(units)), fps_(fps), sentAt_(units_.size()), sent_(units_.size(), false) {}

TimedSender::~TimedSender() {
    stop();
}

std::uint16_t TimedSender::start() {
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        listen(listenFd_, 4) != 0 ||
        getsockname(listenFd_, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        return 0;
    }
    thread_ = std::thread([this] { run(); });
    return ntohs(address.sin_port);
}

void TimedSender::stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    if (listenFd_ >= 0) close(listenFd_);
    listenFd_ = -1;
}

bool TimedSender::lastSentTime(std::size_t unit, Clock::time_point &sentAt) const {
    std::lock_guard lock(mutex_);
    if (unit >= sent_.size() || !sent_[unit]) return false;
    sentAt = sentAt_[unit];
    return true;
}

void TimedSender::run() {
    const auto interval =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / fps_));
    int fd = -1;
    auto due = Clock::now();
    for (std::uint64_t frame = 0; !stopping_; ++frame) {
        std::this_thread::sleep_until(due);
        due += interval;
        fd = acceptPending(fd);
        if (fd < 0) continue;
        const std::size_t unit = frame % units_.size();
        if (!sendAll(fd, units_[unit])) {
            close(fd);
            fd = -1;
            continue;
        }
        const auto sentAt = Clock::now();
        {
            std::lock_guard lock(mutex_);
            sentAt_[unit] = sentAt;
            sent_[unit] = true;
        }
        cpuNanos_ = threadCpuNanos();
    }
    if (fd >= 0) close(fd);
}

int TimedSender::acceptPending(int current) {
    pollfd waiting{listenFd_, POLLIN, 0};
    if (poll(&waiting, 1, 0) <= 0) return current;
    const int next = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (next < 0) return current;
    if (current >= 0) close(current);
    return next;
}

bool TimedSender::sendAll(int fd, const std::vector<std::uint8_t> &bytes) {
    std::size_t offset = 0;
    while (offset < bytes.size() && !stopping_) {
        const ssize_t sent = send(fd, bytes.data() + offset, bytes.size() - offset, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        offset += static_cast<std::size_t>(sent);
    }
    return offset == bytes.size();
}
