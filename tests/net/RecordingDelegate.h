#pragma once

// Test helper: a stream socket delegate that records every callback and lets the test wait for them.

#include "net/AsyncTcpSocket.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct SocketEvent {
    enum Kind { Connect, Read, Disconnect } kind;
    AsyncTcpSocket *sock = nullptr;
    std::string host;
    std::uint16_t port = 0;
    std::string data;
    long tag = 0;
    std::optional<TransportError> error;
};

class RecordingDelegate : public AsyncTcpSocketDelegate {
  public:
    // Runs inside each callback after it was recorded (e.g. to queue the next read).
    std::function<void(const SocketEvent &)> onEvent;

    void socketDidConnectToHost(AsyncTcpSocket *sock, const std::string &host, std::uint16_t port) override {
        record({SocketEvent::Connect, sock, host, port, {}, 0, std::nullopt});
    }
    void socketDidReadData(AsyncTcpSocket *sock, const std::vector<std::uint8_t> &data, long tag) override {
        record({SocketEvent::Read, sock, {}, 0, std::string(data.begin(), data.end()), tag, std::nullopt});
    }
    void socketDidDisconnect(AsyncTcpSocket *sock, const std::optional<TransportError> &error) override {
        record({SocketEvent::Disconnect, sock, {}, 0, {}, 0, error});
    }

    // Waits until at least count events were recorded (or the timeout passed) and returns all of them.
    std::vector<SocketEvent> waitForEvents(std::size_t count,
                                           std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return events_.size() >= count; });
        return events_;
    }
    std::vector<SocketEvent> events() {
        std::lock_guard lock(mutex_);
        return events_;
    }

  private:
    void record(SocketEvent event) {
        if (onEvent) onEvent(event);
        // Notified under the lock and nothing touched after it: a waiter may destroy this delegate as soon as
        // it wakes.
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<SocketEvent> events_;
};
