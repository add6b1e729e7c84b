#pragma once

// Test helper: a TCP listener on a loopback address and any free port, accepting from the test's thread.

#include "net/ScopedFd.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

class LoopbackListener {
  public:
    explicit LoopbackListener(int family = AF_INET, int backlog = 8) : fd_(socket(family, SOCK_STREAM, 0)) {
        sockaddr_storage address{};
        socklen_t length = 0;
        if (family == AF_INET6) {
            auto &v6 = reinterpret_cast<sockaddr_in6 &>(address);
            v6.sin6_family = AF_INET6;
            v6.sin6_addr = in6addr_loopback;
            length = sizeof v6;
        } else {
            auto &v4 = reinterpret_cast<sockaddr_in &>(address);
            v4.sin_family = AF_INET;
            v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            length = sizeof v4;
        }
        if (bind(fd_.get(), reinterpret_cast<sockaddr *>(&address), length) != 0 ||
            listen(fd_.get(), backlog) != 0)
            throw std::runtime_error("cannot listen on loopback");
        getsockname(fd_.get(), reinterpret_cast<sockaddr *>(&address), &length);
        port_ = ntohs(family == AF_INET6 ? reinterpret_cast<sockaddr_in6 &>(address).sin6_port
                                         : reinterpret_cast<sockaddr_in &>(address).sin_port);
        family_ = family;
    }

    std::uint16_t port() const { return port_; }

    // The next connection, or an invalid descriptor when none comes within the timeout.
    ScopedFd accept(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        pollfd ready{fd_.get(), POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(timeout.count())) != 1) return ScopedFd();
        return ScopedFd(::accept(fd_.get(), nullptr, nullptr));
    }

    // For a listener made with backlog 0: connects until the accept queue is full, so that a further connect
    // gets no answer at all (the kernel drops its handshake) until this listener goes away.
    void fillBacklog() {
        for (int i = 0; i < 8; ++i) {
            ScopedFd client(socket(family_, SOCK_STREAM | SOCK_NONBLOCK, 0));
            sockaddr_in v4{};
            v4.sin_family = AF_INET;
            v4.sin_port = htons(port_);
            v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            ::connect(client.get(), reinterpret_cast<sockaddr *>(&v4), sizeof v4);
            pollfd done{client.get(), POLLOUT, 0};
            const bool answered = poll(&done, 1, 100) == 1;
            fillers_.push_back(std::move(client));
            if (!answered) return;  // this one hangs: the queue is full
        }
        throw std::runtime_error("the accept queue never filled up");
    }

  private:
    ScopedFd fd_;
    int family_ = AF_INET;
    std::uint16_t port_ = 0;
    std::vector<ScopedFd> fillers_;
};

inline void sendBytes(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) throw std::runtime_error("send failed");
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

// A port on which nothing listens (bound and released at once).
inline std::uint16_t closedLoopbackPort() {
    LoopbackListener probe;
    return probe.port();
}
