#include "net/AsyncTcpSocket.h"

#include "LoopbackListener.h"
#include "RecordingDelegate.h"
#include "dispatch/SerialQueue.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

namespace {

std::vector<std::uint8_t> bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

void expectOwnError(const std::optional<TransportError> &error, AsyncTcpSocketError code,
                    const char *description) {
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain, kAsyncTcpSocketErrorDomain);
    EXPECT_EQ(error->code, static_cast<long>(code));
    EXPECT_EQ(error->description, description);
}

// A delegate queue that runs nothing by itself: the test takes each callback and runs it where and when it
// wants, to put a callback between steps that a real queue would never let it see.
class HeldQueue : public dispatch::Queue {
  public:
    HeldQueue() : Queue("held") {}
    void async(dispatch::Task task) override {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        changed_.notify_all();
    }
    void after(dispatch::Duration, dispatch::Task task) override { async(std::move(task)); }
    bool isCurrent() const override { return false; }

    // The oldest callback not taken yet; an empty task when none comes within 5 s.
    dispatch::Task take() {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, 5s, [&] { return !tasks_.empty(); })) return {};
        auto task = std::move(tasks_.front());
        tasks_.pop_front();
        return task;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<dispatch::Task> tasks_;
};

bool waitUntilDisconnected(AsyncTcpSocket &sock) {
    for (int i = 0; i < 500 && !sock.isDisconnected(); ++i) std::this_thread::sleep_for(2ms);
    return sock.isDisconnected();
}

class AsyncTcpSocketTest : public testing::Test {
  protected:
    void TearDown() override {
        if (sock) sock->setDelegate(nullptr);
        flushCallbacks();
    }

    // Callbacks already produced have run once this returns.
    void flushCallbacks() {
        delegateQueue->sync([] {});
    }

    // Callbacks produced from now on wait in the delegate queue until the returned promise is set.
    std::promise<void> holdDelegateQueue() {
        std::promise<void> release;
        delegateQueue->async([future = release.get_future().share()] { future.wait(); });
        return release;
    }

    // Connects to listener and waits for the connect callback.
    void connectAndAccept(LoopbackListener &listener, ScopedFd &peer) {
        const std::size_t before = delegate.events().size();
        EXPECT_TRUE(sock->connectToHost("127.0.0.1", listener.port(), 3.0));
        peer = listener.accept();
        EXPECT_TRUE(peer.valid());
        const auto events = delegate.waitForEvents(before + 1);
        ASSERT_EQ(events.size(), before + 1);
        EXPECT_EQ(events.back().kind, SocketEvent::Connect);
    }

    dispatch::QueuePtr delegateQueue = dispatch::SerialQueue::create("delegate");
    RecordingDelegate delegate;
    std::shared_ptr<AsyncTcpSocket> sock = AsyncTcpSocket::create(&delegate, delegateQueue);
};

TEST_F(AsyncTcpSocketTest, DeliversOneReadPerTerminatorAcrossSplitsAndBursts) {
    LoopbackListener listener;
    delegate.onEvent = [&](const SocketEvent &event) {
        if (event.kind == SocketEvent::Read) sock->readDataToData(bytes("BoundaryE"), -1, event.tag + 1);
    };
    ASSERT_TRUE(sock->connectToHost("127.0.0.1", listener.port(), 3.0));
    sock->readDataToData(bytes("BoundaryE"), -1, 1);  // queued while connecting: starts once connected
    ScopedFd peer = listener.accept();
    ASSERT_TRUE(peer.valid());

    sendBytes(peer.get(), "alpha Boun");
    std::this_thread::sleep_for(30ms);  // lets the first piece arrive on its own
    sendBytes(peer.get(), "daryEbetaBoundaryEgammaBoundaryE");

    const auto events = delegate.waitForEvents(4);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].kind, SocketEvent::Connect);
    EXPECT_EQ(events[0].host, "127.0.0.1");
    EXPECT_EQ(events[0].port, listener.port());
    EXPECT_EQ(events[0].sock, sock.get());
    EXPECT_EQ(events[1].data, "alpha BoundaryE");
    EXPECT_EQ(events[1].tag, 1);
    EXPECT_EQ(events[2].data, "betaBoundaryE");
    EXPECT_EQ(events[2].tag, 2);
    EXPECT_EQ(events[3].data, "gammaBoundaryE");
    EXPECT_EQ(events[3].tag, 3);
}

TEST_F(AsyncTcpSocketTest, ReadsRequestedWhileIdleAreDropped) {
    LoopbackListener listener;
    sock->readDataToData(bytes("\n"), -1, 99);  // no connect under way
    sock->readDataToData({}, -1, 98);           // empty terminator
    ScopedFd peer;
    connectAndAccept(listener, peer);
    sock->readDataToData(bytes("\n"), -1, 1);
    sendBytes(peer.get(), "line\n");
    const auto events = delegate.waitForEvents(2);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].tag, 1);
    EXPECT_EQ(events[1].data, "line\n");
}

TEST_F(AsyncTcpSocketTest, RefusesBadRequestsAtOnceAndReportsNothingLater) {
    TransportError error;
    EXPECT_FALSE(sock->connectToHost("", 7060, 3.0, &error));
    expectOwnError(error, AsyncTcpSocketError::BadParam,
                   "Invalid host parameter (nil or \"\"). Should be a domain name or IP address string.");

    auto noDelegate = AsyncTcpSocket::create(nullptr, delegateQueue);
    EXPECT_FALSE(noDelegate->connectToHost("127.0.0.1", 1, 3.0, &error));
    expectOwnError(error, AsyncTcpSocketError::BadConfig,
                   "Attempting to connect without a delegate. Set a delegate first.");

    auto noQueue = AsyncTcpSocket::create(&delegate, nullptr);
    EXPECT_FALSE(noQueue->connectToHost("127.0.0.1", 1, 3.0, &error));
    expectOwnError(error, AsyncTcpSocketError::BadConfig,
                   "Attempting to connect without a delegate queue. Set a delegate queue first.");
    noQueue->setDelegate(nullptr);

    sock->setIPv4Enabled(false);
    sock->setIPv6Enabled(false);
    EXPECT_FALSE(sock->connectToHost("127.0.0.1", 1, 3.0, &error));
    expectOwnError(error, AsyncTcpSocketError::BadConfig,
                   "Both IPv4 and IPv6 have been disabled. Must enable at least one protocol first.");

    flushCallbacks();
    EXPECT_TRUE(delegate.events().empty());
}

TEST_F(AsyncTcpSocketTest, ConnectWhileConnectingIsRefused) {
    LoopbackListener listener(AF_INET, 0);
    listener.fillBacklog();
    ASSERT_TRUE(sock->connectToHost("127.0.0.1", listener.port(), -1));
    TransportError error;
    EXPECT_FALSE(sock->connectToHost("127.0.0.1", listener.port(), -1, &error));
    expectOwnError(error, AsyncTcpSocketError::BadConfig,
                   "Attempting to connect while connected or accepting connections. Disconnect first.");
    EXPECT_FALSE(sock->isDisconnected());
    EXPECT_FALSE(sock->isConnected());
}

TEST_F(AsyncTcpSocketTest, ConnectFailuresCloseWithTheirError) {
    // Refused: an operating-system error naming connect().
    ASSERT_TRUE(sock->connectToHost("127.0.0.1", closedLoopbackPort(), 3.0));
    auto events = delegate.waitForEvents(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, SocketEvent::Disconnect);
    ASSERT_TRUE(events[0].error);
    EXPECT_EQ(events[0].error->domain, kPosixErrorDomain);
    EXPECT_EQ(events[0].error->code, ECONNREFUSED);
    EXPECT_EQ(events[0].error->failureReason, "Error in connect() function");
    EXPECT_TRUE(sock->isDisconnected());

    // No answer at all: the connect timer ends the attempt.
    LoopbackListener silent(AF_INET, 0);
    silent.fillBacklog();
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(sock->connectToHost("127.0.0.1", silent.port(), 0.3));
    events = delegate.waitForEvents(2);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 250ms);
    expectOwnError(events[1].error, AsyncTcpSocketError::ConnectTimeout,
                   "Attempt to connect to host timed out");

    // Only IPv4 found, IPv4 switched off.
    sock->setIPv4Enabled(false);
    ASSERT_TRUE(sock->connectToHost("127.0.0.1", silent.port(), 3.0));
    events = delegate.waitForEvents(3);
    ASSERT_EQ(events.size(), 3u);
    expectOwnError(events[2].error, AsyncTcpSocketError::Other,
                   "IPv4 has been disabled and DNS lookup found no IPv6 address.");
}

TEST_F(AsyncTcpSocketTest, FallsBackToIPv6WhenIPv4IsRefused) {
    LoopbackListener listener(AF_INET6);
    sock->setAlternateAddressDelay(0.05);
    ASSERT_TRUE(sock->connectToHost("localhost", listener.port(), 3.0));
    ScopedFd peer = listener.accept();
    const auto events = delegate.waitForEvents(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, SocketEvent::Connect);
    EXPECT_EQ(events[0].host, "::1");
    EXPECT_TRUE(sock->isConnected());
}

TEST_F(AsyncTcpSocketTest, PeerCloseIsReportedOnceBufferedBytesAreRead) {
    LoopbackListener listener;
    ScopedFd peer;
    connectAndAccept(listener, peer);
    sendBytes(peer.get(), "one\ntwo\npartial");
    peer.reset();
    sock->readDataToData(bytes("\n"), -1, 1);
    delegate.waitForEvents(2);
    std::this_thread::sleep_for(30ms);  // the end of the stream is seen while "two" still waits
    sock->readDataToData(bytes("\n"), -1, 2);
    delegate.waitForEvents(3);
    sock->readDataToData(bytes("\n"), -1, 3);

    const auto events = delegate.waitForEvents(4);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[1].data, "one\n");
    EXPECT_EQ(events[2].data, "two\n");
    EXPECT_EQ(events[3].kind, SocketEvent::Disconnect);
    expectOwnError(events[3].error, AsyncTcpSocketError::Closed, "Socket closed by remote peer");
}

TEST_F(AsyncTcpSocketTest, ReadLimitsCloseTheConnection) {
    LoopbackListener listener;
    ScopedFd peer;
    connectAndAccept(listener, peer);
    sock->readDataToData(bytes("BoundaryS"), -1, 50, 10);
    sendBytes(peer.get(), std::string(100, 'g'));
    auto events = delegate.waitForEvents(2);
    ASSERT_EQ(events.size(), 2u);
    expectOwnError(events[1].error, AsyncTcpSocketError::ReadMaxedOut,
                   "Read operation reached set maximum length");

    // A request whose limit is shorter than its terminator is ignored.
    connectAndAccept(listener, peer);
    sock->readDataToData(bytes("BoundaryS"), -1, 4, 11);
    sock->readDataToData(bytes("BoundaryS"), 0.1, 12);
    events = delegate.waitForEvents(4);
    ASSERT_EQ(events.size(), 4u);
    expectOwnError(events[3].error, AsyncTcpSocketError::ReadTimeout, "Read operation timed out");
}

TEST_F(AsyncTcpSocketTest, DisconnectReportsOnlyWhenStartedAndToTheCurrentDelegate) {
    sock->disconnect();
    flushCallbacks();
    EXPECT_TRUE(delegate.events().empty()) << "an idle socket has nothing to report";

    LoopbackListener listener;
    ScopedFd peer;
    connectAndAccept(listener, peer);
    sock->disconnect();
    auto events = delegate.waitForEvents(2);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].kind, SocketEvent::Disconnect);
    EXPECT_EQ(events[1].sock, sock.get());
    EXPECT_FALSE(events[1].error);

    connectAndAccept(listener, peer);
    sock->setDelegate(nullptr);
    sock->disconnect();
    sock->setDelegate(&delegate);
    flushCallbacks();
    EXPECT_EQ(delegate.events().size(), 3u) << "the disconnect made without a delegate is not reported";
}

TEST_F(AsyncTcpSocketTest, DataNotYetDeliveredIsDroppedByDisconnectButNotByAPeerClose) {
    LoopbackListener listener;
    ScopedFd peer;
    connectAndAccept(listener, peer);
    std::promise<void> release = holdDelegateQueue();
    sock->readDataToData(bytes("\n"), -1, 1);
    sendBytes(peer.get(), "late\n");
    std::this_thread::sleep_for(50ms);  // the read completes while the delegate queue is held
    sock->disconnect();
    release.set_value();
    flushCallbacks();
    auto events = delegate.events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].kind, SocketEvent::Disconnect);

    connectAndAccept(listener, peer);
    std::promise<void> releaseAgain = holdDelegateQueue();
    sock->readDataToData(bytes("\n"), -1, 2);
    sendBytes(peer.get(), "last words\n");
    peer.reset();
    const bool closed = waitUntilDisconnected(*sock);
    releaseAgain.set_value();
    EXPECT_TRUE(closed);
    events = delegate.waitForEvents(5);
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[3].data, "last words\n");
    expectOwnError(events[4].error, AsyncTcpSocketError::Closed, "Socket closed by remote peer");
}

// The receiver's reconnection: delegate off, disconnect, delegate back, connect, first read. Data of the old
// connection that is still on its way to the delegate must not arrive after that: the receiver would take it
// for the new connection's and start a second chain of reads on it.
void reconnectLikeTheReceiver(AsyncTcpSocket &sock, AsyncTcpSocketDelegate &delegate, std::uint16_t port) {
    sock.setDelegate(nullptr);
    sock.disconnect();
    sock.setDelegate(&delegate);
    ASSERT_TRUE(sock.connectToHost("127.0.0.1", port, 3.0));
    sock.readDataToData(bytes("\n"), -1, 2);
}

TEST_F(AsyncTcpSocketTest, ReconnectAfterAPeerCloseDropsReadsOfTheOldConnection) {
    LoopbackListener listener;
    ScopedFd peer;
    connectAndAccept(listener, peer);
    std::promise<void> release = holdDelegateQueue();
    sock->readDataToData(bytes("\n"), -1, 1);
    sendBytes(peer.get(), "old\n");
    peer.reset();
    const bool closedByPeer = waitUntilDisconnected(*sock);  // read and close wait in the held queue

    reconnectLikeTheReceiver(*sock, delegate, listener.port());
    ScopedFd newPeer = listener.accept();
    release.set_value();
    sendBytes(newPeer.get(), "new\n");

    EXPECT_TRUE(closedByPeer);
    const auto events = delegate.waitForEvents(4);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[1].kind, SocketEvent::Disconnect);
    EXPECT_EQ(events[2].kind, SocketEvent::Connect);
    EXPECT_EQ(events[3].data, "new\n");
    EXPECT_EQ(events[3].tag, 2);
}

TEST_F(AsyncTcpSocketTest, ReconnectWhileAReadWaitsToBeDeliveredDropsIt) {
    auto held = std::make_shared<HeldQueue>();
    RecordingDelegate recorder;
    auto socket = AsyncTcpSocket::create(&recorder, held);
    LoopbackListener listener;
    ASSERT_TRUE(socket->connectToHost("127.0.0.1", listener.port(), 3.0));
    socket->readDataToData(bytes("\n"), -1, 1);
    ScopedFd peer = listener.accept();
    dispatch::Task connected = held->take();
    sendBytes(peer.get(), "old\n");
    dispatch::Task oldRead = held->take();
    ASSERT_TRUE(connected && oldRead);

    // While the connect callback runs it holds the socket's delivery; the old read is started beside it and
    // waits for its turn, already past anything it checks before taking that turn. The reconnection happens
    // right then.
    std::thread reader;
    recorder.onEvent = [&](const SocketEvent &event) {
        if (event.kind != SocketEvent::Connect || reader.joinable()) return;
        std::promise<void> started;
        reader = std::thread([&] {
            started.set_value();
            oldRead();
        });
        started.get_future().wait();
        std::this_thread::sleep_for(100ms);
        reconnectLikeTheReceiver(*socket, recorder, listener.port());
    };
    connected();
    reader.join();

    for (const auto &event : recorder.events())
        EXPECT_NE(event.kind, SocketEvent::Read) << "the old connection's \"" << event.data << "\" arrived";
    socket->setDelegate(nullptr);
}

TEST_F(AsyncTcpSocketTest, DestroyingAStartedSocketReportsWithoutASocket) {
    LoopbackListener listener;
    ScopedFd peer;
    connectAndAccept(listener, peer);
    sock.reset();
    const auto events = delegate.waitForEvents(2);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].kind, SocketEvent::Disconnect);
    EXPECT_EQ(events[1].sock, nullptr);
    EXPECT_FALSE(events[1].error);
}

}  // namespace
