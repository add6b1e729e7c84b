#include "net/AsyncUdpSocket.h"

#include "dispatch/WorkQueue.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <future>
#include <latch>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

constexpr auto kWait = 5s;

std::vector<std::uint8_t> bytes(const std::string &text) {
    return {text.begin(), text.end()};
}

// A plain blocking datagram socket on loopback playing the camera.
class UdpPeer {
  public:
    explicit UdpPeer(int family = AF_INET) {
        fd_ = ::socket(family, SOCK_DGRAM, 0);
        EXPECT_GE(fd_, 0);
        const auto any =
            family == AF_INET ? SocketAddress::ipv4("127.0.0.1", 0) : SocketAddress::ipv6("::1", 0);
        EXPECT_EQ(::bind(fd_, any.sockaddrPointer(), any.length()), 0);
        sockaddr_storage bound{};
        socklen_t length = sizeof bound;
        getsockname(fd_, reinterpret_cast<sockaddr *>(&bound), &length);
        address_ = SocketAddress(reinterpret_cast<sockaddr *>(&bound), length);
    }
    ~UdpPeer() { ::close(fd_); }

    std::uint16_t port() const { return address_.port(); }
    const SocketAddress &address() const { return address_; }

    void sendTo(const SocketAddress &to, const std::vector<std::uint8_t> &data) {
        ASSERT_EQ(::sendto(fd_, data.data(), data.size(), 0, to.sockaddrPointer(), to.length()),
                  static_cast<ssize_t>(data.size()));
    }

    // The next datagram, or nothing within timeout.
    std::optional<std::vector<std::uint8_t>> receive(std::chrono::milliseconds timeout = 5000ms) {
        pollfd ready{fd_, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(timeout.count())) != 1) return std::nullopt;
        std::vector<std::uint8_t> data(65535);
        const ssize_t received = ::recv(fd_, data.data(), data.size(), 0);
        if (received < 0) return std::nullopt;
        data.resize(static_cast<std::size_t>(received));
        return data;
    }

  private:
    int fd_ = -1;
    SocketAddress address_;
};

// Writes every callback down as one line, e.g. "sent 7", and lets the test wait for a line.
class RecordingDelegate : public AsyncUdpSocketDelegate {
  public:
    void udpSocketDidConnectToAddress(AsyncUdpSocket *, const SocketAddress &address) override {
        connectedTo = address;
        record("connected");
    }
    void udpSocketDidNotConnect(AsyncUdpSocket *, const TransportError &error) override {
        lastError = error;
        record("not connected");
    }
    void udpSocketDidSendDataWithTag(AsyncUdpSocket *, long tag) override {
        record("sent " + std::to_string(tag));
    }
    void udpSocketDidNotSendDataWithTag(AsyncUdpSocket *, long tag, const TransportError &error) override {
        lastError = error;
        record("not sent " + std::to_string(tag));
    }
    void udpSocketDidReceiveData(AsyncUdpSocket *, const std::vector<std::uint8_t> &data,
                                 const SocketAddress &address, const void *filterContext) override {
        EXPECT_EQ(filterContext, nullptr);
        lastSender = address;
        record("received " + std::string(data.begin(), data.end()));
    }
    void udpSocketDidClose(AsyncUdpSocket *, const std::optional<TransportError> &error) override {
        closeError = error;
        record("closed");
    }

    bool waitFor(const std::string &line) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(
            lock, kWait, [&] { return std::find(lines_.begin(), lines_.end(), line) != lines_.end(); });
    }
    std::vector<std::string> lines() {
        std::lock_guard lock(mutex_);
        return lines_;
    }

    // Written on the delegate queue before the line that announces them.
    SocketAddress connectedTo;
    SocketAddress lastSender;
    TransportError lastError;
    std::optional<TransportError> closeError;

  private:
    void record(const std::string &line) {
        std::lock_guard lock(mutex_);
        lines_.push_back(line);
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
};

// Holds every thread of the shared work queue, so that host resolution (and with it a connect step) waits
// until release().
class WorkQueueBlocker {
  public:
    WorkQueueBlocker() {
        auto released = released_.get_future().share();
        for (int i = 0; i < kThreads; ++i) {
            dispatch::WorkQueue::shared()->async([this, released] {
                started_.count_down();
                released.wait();
            });
        }
        started_.wait();
    }
    ~WorkQueueBlocker() { release(); }
    void release() {
        if (!done_) released_.set_value();
        done_ = true;
    }

  private:
    static constexpr int kThreads = 8;  // the work pool's size
    std::promise<void> released_;
    std::latch started_{kThreads};
    bool done_ = false;
};

class AsyncUdpSocketTest : public ::testing::Test {
  protected:
    // Lets every callback already produced reach the delegate.
    void drain() {
        (void)socket->isConnected();
        delegateQueue->sync([] {});
    }

    bool connectAndReceive(const std::string &host, std::uint16_t port) {
        TransportError error;
        if (!socket->connectToHost(host, port, &error)) return false;
        return delegate.waitFor("connected") && socket->beginReceiving(&error);
    }

    dispatch::SerialQueuePtr delegateQueue = dispatch::SerialQueue::create("delegate");
    RecordingDelegate delegate;
    std::shared_ptr<AsyncUdpSocket> socket = AsyncUdpSocket::create(&delegate, delegateQueue);
};

TEST_F(AsyncUdpSocketTest, ConnectsSendsAndReceivesOnIPv4Loopback) {
    UdpPeer peer;
    ASSERT_TRUE(connectAndReceive("127.0.0.1", peer.port()));
    EXPECT_EQ(delegate.connectedTo, peer.address());
    EXPECT_TRUE(socket->isConnected());
    EXPECT_EQ(socket->connectedAddress(), peer.address());

    socket->sendData(bytes("hello"), -1, 7);
    EXPECT_TRUE(delegate.waitFor("sent 7"));
    EXPECT_EQ(peer.receive(), bytes("hello"));

    peer.sendTo(socket->localAddress(), bytes("world"));
    EXPECT_TRUE(delegate.waitFor("received world"));
    EXPECT_EQ(delegate.lastSender, peer.address());
}

TEST_F(AsyncUdpSocketTest, LocalhostResolvesWithoutTheResolverAndIPv6Works) {
    UdpPeer peer(AF_INET6);
    socket->setIPv4Enabled(false);
    ASSERT_TRUE(connectAndReceive("localhost", peer.port()));
    EXPECT_EQ(delegate.connectedTo, SocketAddress::ipv6("::1", peer.port()));

    socket->sendData(bytes("six"), -1, 1);
    EXPECT_EQ(peer.receive(), bytes("six"));
    peer.sendTo(socket->localAddress(), bytes("back"));
    EXPECT_TRUE(delegate.waitFor("received back"));
}

TEST_F(AsyncUdpSocketTest, SendRequestedRightAfterConnectWaitsForTheConnectStep) {
    UdpPeer peer;
    WorkQueueBlocker blocker;
    ASSERT_TRUE(socket->connectToHost("127.0.0.1", peer.port(), nullptr));
    socket->sendData(bytes("after connect"), -1, 3);
    drain();
    EXPECT_TRUE(delegate.lines().empty()) << "the send must wait while the host is being resolved";

    blocker.release();
    ASSERT_TRUE(delegate.waitFor("sent 3"));
    EXPECT_EQ(delegate.lines(), (std::vector<std::string>{"connected", "sent 3"}));
    EXPECT_EQ(peer.receive(), bytes("after connect"));
}

TEST_F(AsyncUdpSocketTest, SendsAfterAFailedConnectFailOneByOneWithCode1) {
    // "::1" with IPv6 disabled cannot be connected, and no packet leaves the machine to find that out.
    socket->setIPv6Enabled(false);
    ASSERT_TRUE(socket->connectToHost("::1", 9, nullptr));
    socket->sendData(bytes("a"), -1, 1);
    socket->sendData(bytes("b"), -1, 2);
    ASSERT_TRUE(delegate.waitFor("not sent 2"));
    EXPECT_EQ(delegate.lines(), (std::vector<std::string>{"not connected", "not sent 1", "not sent 2"}));
    EXPECT_EQ(delegate.lastError.domain, "AsyncUdpSocketErrorDomain");
    EXPECT_EQ(delegate.lastError.code, 1);
    EXPECT_EQ(delegate.lastError.description,
              "You must specify destination of packet for a non-connected socket");
    EXPECT_FALSE(socket->isConnected());
}

TEST_F(AsyncUdpSocketTest, ConnectFailureReasonsFollowTheFamilies) {
    socket->setIPv6Enabled(false);
    ASSERT_TRUE(socket->connectToHost("::1", 9, nullptr));
    ASSERT_TRUE(delegate.waitFor("not connected"));
    EXPECT_EQ(delegate.lastError.code, 5);
    EXPECT_EQ(delegate.lastError.description,
              "IPv6 has been disabled and DNS lookup found no IPv4 address(es).");

    // A failed connect does not count as connected: the socket may try again.
    UdpPeer peer;
    EXPECT_TRUE(socket->connectToHost("127.0.0.1", peer.port(), nullptr));
    EXPECT_TRUE(delegate.waitFor("connected"));
}

TEST_F(AsyncUdpSocketTest, ConnectingTwiceFailsWithCode1WhileConnectingAndWhenConnected) {
    UdpPeer peer;
    {
        WorkQueueBlocker blocker;
        ASSERT_TRUE(socket->connectToHost("127.0.0.1", peer.port(), nullptr));
        TransportError error;
        EXPECT_FALSE(socket->connectToHost("127.0.0.1", peer.port(), &error));
        EXPECT_EQ(error.domain, "AsyncUdpSocketErrorDomain");
        EXPECT_EQ(error.code, 1);
        EXPECT_EQ(error.description, "Cannot connect a socket more than once.");
    }
    ASSERT_TRUE(delegate.waitFor("connected"));
    TransportError error;
    EXPECT_FALSE(socket->connectToHost("127.0.0.1", peer.port(), &error));
    EXPECT_EQ(error.description, "Cannot connect a socket more than once.");
    drain();
    EXPECT_EQ(delegate.lines(), std::vector<std::string>{"connected"})
        << "a refused connect reports nothing later";
}

TEST_F(AsyncUdpSocketTest, ConnectIsRefusedAtOnceWithoutDelegateQueueHostOrFamily) {
    TransportError error;
    auto noQueue = AsyncUdpSocket::create(&delegate, nullptr);
    EXPECT_FALSE(noQueue->connectToHost("127.0.0.1", 9, &error));
    EXPECT_EQ(error.description,
              "Attempting to use socket without a delegate queue. Set a delegate queue first.");

    auto noDelegate = AsyncUdpSocket::create(nullptr, delegateQueue);
    EXPECT_FALSE(noDelegate->connectToHost("127.0.0.1", 9, &error));
    EXPECT_EQ(error.code, 1);
    EXPECT_EQ(error.description, "Attempting to use socket without a delegate. Set a delegate first.");

    EXPECT_FALSE(socket->connectToHost("", 9, &error));
    EXPECT_EQ(error.code, 2);
    EXPECT_EQ(error.description, "The host param is nil. Should be domain name or IP address string.");

    socket->setIPv4Enabled(false);
    socket->setIPv6Enabled(false);
    EXPECT_FALSE(socket->connectToHost("127.0.0.1", 9, &error));
    EXPECT_EQ(error.description,
              "Both IPv4 and IPv6 have been disabled. Must enable at least one protocol first.");
    drain();
    EXPECT_TRUE(delegate.lines().empty());
}

TEST_F(AsyncUdpSocketTest, BeginReceivingNeedsASocketAndStartsOneLoopOnly) {
    TransportError error;
    EXPECT_FALSE(socket->beginReceiving(&error));
    EXPECT_EQ(error.code, 1);
    EXPECT_EQ(error.description,
              "Must bind socket before you can receive data. You can do this explicitly via bind, or "
              "implicitly via "
              "connect or by sending data.");

    UdpPeer peer;
    ASSERT_TRUE(connectAndReceive("127.0.0.1", peer.port()));
    EXPECT_TRUE(socket->beginReceiving(&error));
    peer.sendTo(socket->localAddress(), bytes("once"));
    peer.sendTo(socket->localAddress(), bytes("twice"));
    ASSERT_TRUE(delegate.waitFor("received twice"));
    drain();
    EXPECT_EQ(delegate.lines(), (std::vector<std::string>{"connected", "received once", "received twice"}));
}

TEST_F(AsyncUdpSocketTest, DatagramsFromAnotherPortAndEmptyDatagramsAreNotDelivered) {
    UdpPeer peer;
    UdpPeer stranger;
    ASSERT_TRUE(connectAndReceive("127.0.0.1", peer.port()));
    stranger.sendTo(socket->localAddress(), bytes("from stranger"));
    peer.sendTo(socket->localAddress(), {});
    peer.sendTo(socket->localAddress(), bytes("from peer"));
    ASSERT_TRUE(delegate.waitFor("received from peer"));
    drain();
    EXPECT_EQ(delegate.lines(), (std::vector<std::string>{"connected", "received from peer"}))
        << "an empty datagram must neither be delivered nor close the socket";
    EXPECT_FALSE(socket->isClosed());
}

TEST_F(AsyncUdpSocketTest, EmptySendGetsNoCallbackAndEveryPacketExactlyOne) {
    UdpPeer peer;
    ASSERT_TRUE(connectAndReceive("127.0.0.1", peer.port()));
    socket->sendData({}, -1, 9);
    for (long tag = 10; tag < 20; ++tag) socket->sendData(bytes("packet"), 0.5, tag);
    ASSERT_TRUE(delegate.waitFor("sent 19"));
    drain();
    std::vector<std::string> expected{"connected"};
    for (long tag = 10; tag < 20; ++tag) expected.push_back("sent " + std::to_string(tag));
    EXPECT_EQ(delegate.lines(), expected);
}

TEST_F(AsyncUdpSocketTest, CloseDropsQueuedSendsWithoutCallbacks) {
    UdpPeer peer;
    WorkQueueBlocker blocker;
    ASSERT_TRUE(socket->connectToHost("127.0.0.1", peer.port(), nullptr));
    for (long tag = 1; tag <= 5; ++tag) socket->sendData(bytes("queued"), -1, tag);
    socket->close();
    blocker.release();
    ASSERT_TRUE(delegate.waitFor("closed"));
    // The late resolution result must not revive the closed socket.
    std::this_thread::sleep_for(50ms);
    drain();
    EXPECT_EQ(delegate.lines(), std::vector<std::string>{"closed"});
    EXPECT_FALSE(delegate.closeError.has_value());
    EXPECT_FALSE(peer.receive(50ms).has_value());
}

TEST_F(AsyncUdpSocketTest, ClosedSocketFailsLaterSendsAndCloseWithoutSocketsIsSilent) {
    socket->close();
    drain();
    EXPECT_TRUE(delegate.lines().empty()) << "no sockets existed, so no close callback";

    UdpPeer peer;
    ASSERT_TRUE(connectAndReceive("127.0.0.1", peer.port()));
    socket->close();
    socket->sendData(bytes("late"), -1, 4);
    ASSERT_TRUE(delegate.waitFor("not sent 4"));
    EXPECT_EQ(delegate.lastError.code, 1);
    EXPECT_EQ(delegate.lines(), (std::vector<std::string>{"connected", "closed", "not sent 4"}));
}

TEST_F(AsyncUdpSocketTest, DetachedDelegateGetsNoQueuedCallbacks) {
    UdpPeer peer;
    ASSERT_TRUE(connectAndReceive("127.0.0.1", peer.port()));
    std::promise<void> release;
    std::promise<void> blocked;
    delegateQueue->async([&] {
        blocked.set_value();
        release.get_future().wait();
    });
    blocked.get_future().wait();
    socket->sendData(bytes("x"), -1, 1);
    (void)socket->isConnected();
    peer.receive();  // the send happened, so its callback waits behind the blocked delegate queue
    socket->setDelegate(nullptr);
    release.set_value();
    drain();
    EXPECT_EQ(delegate.lines(), std::vector<std::string>{"connected"});
}

TEST_F(AsyncUdpSocketTest, DestroyingTheSocketStopsCallbacksAndClosesItsDescriptor) {
    UdpPeer peer;
    ASSERT_TRUE(connectAndReceive("127.0.0.1", peer.port()));
    const auto local = socket->localAddress();
    socket->sendData(bytes("x"), -1, 1);
    socket.reset();
    delegateQueue->sync([] {});
    std::this_thread::sleep_for(20ms);
    delegateQueue->sync([] {});
    const auto lines = delegate.lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "closed"), 0);

    // The port is free again once the descriptors are closed.
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    bool bound = false;
    for (int attempt = 0; attempt < 100 && !bound; ++attempt) {
        bound = ::bind(fd, local.sockaddrPointer(), local.length()) == 0;
        if (!bound) std::this_thread::sleep_for(5ms);
    }
    ::close(fd);
    EXPECT_TRUE(bound);
}

}  // namespace

namespace {

TEST_F(AsyncUdpSocketTest, APeerThatIsGoneClosesTheSocketWithTheSystemError) {
    std::uint16_t port = 0;
    {
        UdpPeer gone;
        port = gone.port();
    }
    ASSERT_TRUE(connectAndReceive("127.0.0.1", port));
    socket->sendData(bytes("anyone?"), -1, 1);
    socket->sendData(bytes("anyone?"), -1, 2);
    ASSERT_TRUE(delegate.waitFor("closed"));
    ASSERT_TRUE(delegate.closeError.has_value());
    EXPECT_EQ(delegate.closeError->domain, kPosixErrorDomain);
    EXPECT_EQ(delegate.closeError->code, ECONNREFUSED);
}

}  // namespace
