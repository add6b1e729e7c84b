#include "net/AsyncUdpSocket.h"

#include "dispatch/WorkQueue.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>

namespace {

// Largest datagram received, and the size of both socket buffers (bytes).
constexpr std::size_t kMaxReceiveSize = 65535;
constexpr int kSocketBufferSize = 65535;

TransportError ownError(long code, std::string description) {
    return TransportError::own(kAsyncUdpSocketErrorDomain, code, std::move(description));
}

bool wouldBlock(int errorNumber) {
    return errorNumber == EAGAIN || errorNumber == EWOULDBLOCK || errorNumber == EINTR;
}

// Closes a descriptor once both readiness sources that watch it have been cancelled: each source's cancel
// handler holds one reference.
class DescriptorCloser {
  public:
    explicit DescriptorCloser(int fd) : fd_(fd) {}
    ~DescriptorCloser() { ::close(fd_); }
    DescriptorCloser(const DescriptorCloser &) = delete;
    DescriptorCloser &operator=(const DescriptorCloser &) = delete;

  private:
    int fd_;
};

}  // namespace

// The delegate as the callbacks in flight see it. A callback runs with the mutex held, so detaching the
// delegate waits for a running callback and stops every later one.
// The pointer itself is atomic so that the socket queue can read it without waiting for a callback.
struct AsyncUdpSocket::DelegateLink {
    std::recursive_mutex mutex;
    std::atomic<AsyncUdpSocketDelegate *> delegate{nullptr};
    std::weak_ptr<AsyncUdpSocket> socket;
};

// --- creation and configuration

std::shared_ptr<AsyncUdpSocket> AsyncUdpSocket::create(AsyncUdpSocketDelegate *delegate,
                                                       dispatch::QueuePtr delegateQueue) {
    auto socket = std::make_shared<AsyncUdpSocket>(Private{}, delegate, std::move(delegateQueue));
    socket->link_->socket = socket;
    return socket;
}

AsyncUdpSocket::AsyncUdpSocket(Private, AsyncUdpSocketDelegate *delegate, dispatch::QueuePtr delegateQueue)
    : socketQueue_(dispatch::SerialQueue::create("AsyncUdpSocket")),
      delegateQueue_(std::move(delegateQueue)),
      link_(std::make_shared<DelegateLink>()) {
    link_->delegate = delegate;
}

AsyncUdpSocket::~AsyncUdpSocket() {
    // Tasks on the socket queue hold the socket alive, so none runs now; the sources still have to be
    // cancelled on their queue.
    socketQueue_->sync([this] { closeWithError(std::nullopt); });
    std::lock_guard lock(link_->mutex);
    link_->delegate = nullptr;
}

AsyncUdpSocketDelegate *AsyncUdpSocket::delegate() const {
    return link_->delegate.load();
}

void AsyncUdpSocket::setDelegate(AsyncUdpSocketDelegate *delegate) {
    std::lock_guard lock(link_->mutex);
    link_->delegate = delegate;
}

void AsyncUdpSocket::setIPv4Enabled(bool enabled) {
    socketQueue_->sync([&] { ipv4Enabled_ = enabled; });
}

void AsyncUdpSocket::setIPv6Enabled(bool enabled) {
    socketQueue_->sync([&] { ipv6Enabled_ = enabled; });
}

void AsyncUdpSocket::setPreferIPv4() {
    socketQueue_->sync([&] { preferredFamily_ = AF_INET; });
}

void AsyncUdpSocket::setPreferIPv6() {
    socketQueue_->sync([&] { preferredFamily_ = AF_INET6; });
}

bool AsyncUdpSocket::isConnected() const {
    bool connected = false;
    socketQueue_->sync([&] { connected = connected_; });
    return connected;
}

bool AsyncUdpSocket::isClosed() const {
    bool closed = false;
    socketQueue_->sync([&] { closed = !socketsCreated_; });
    return closed;
}

SocketAddress AsyncUdpSocket::connectedAddress() const {
    SocketAddress address;
    socketQueue_->sync([&] { address = cachedConnectedAddress_; });
    return address;
}

SocketAddress AsyncUdpSocket::localAddress() const {
    SocketAddress address;
    socketQueue_->sync([&] {
        if (!connected_) return;
        const int fd = cachedConnectedAddress_.family() == AF_INET6 ? socket6_.fd : socket4_.fd;
        sockaddr_storage storage{};
        socklen_t length = sizeof storage;
        if (getsockname(fd, reinterpret_cast<sockaddr *>(&storage), &length) == 0) {
            address = SocketAddress(reinterpret_cast<sockaddr *>(&storage), length);
        }
    });
    return address;
}

template <typename Call>
void AsyncUdpSocket::notifyDelegate(Call call) {
    if (!delegateQueue_) return;
    delegateQueue_->async([link = link_, call = std::move(call)] {
        // Holding the socket keeps it alive for a callback that uses it.
        const auto socket = link->socket.lock();
        std::lock_guard lock(link->mutex);
        AsyncUdpSocketDelegate *delegate = link->delegate.load();
        if (socket && delegate) call(*delegate, socket.get());
    });
}

// --- the operating-system sockets

std::optional<TransportError> AsyncUdpSocket::createSockets() {
    if (ipv4Enabled_) {
        if (auto error = createSocket(AF_INET, socket4_)) return error;
    }
    if (ipv6Enabled_) {
        if (auto error = createSocket(AF_INET6, socket6_)) {
            closeSocket(socket4_);
            return error;
        }
    }
    if (socket4_.fd < 0 && socket6_.fd < 0) {
        return TransportError::posix(EAFNOSUPPORT, "Error in socket() function");
    }
    if (socket4_.fd >= 0) startSources(AF_INET, socket4_);
    if (socket6_.fd >= 0) startSources(AF_INET6, socket6_);
    socketsCreated_ = true;
    return std::nullopt;
}

std::optional<TransportError> AsyncUdpSocket::createSocket(int family, FamilySocket &socket) {
    const int fd = ::socket(family, SOCK_DGRAM, 0);
    if (fd < 0) {
        // A kernel without this family: the other one may still do.
        if (errno == EAFNOSUPPORT) return std::nullopt;
        return TransportError::posix(errno, "Error in socket() function");
    }
    auto fail = [fd](const char *reason) {
        const int errorNumber = errno;
        ::close(fd);
        return TransportError::posix(errorNumber, reason);
    };
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        return fail("Error enabling non-blocking IO on socket (fcntl)");
    }
    const int on = 1;
    if (setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) < 0) {
        return fail("Error enabling address reuse (setsockopt)");
    }
    // Linux has no per-socket broken-pipe option; every send passes MSG_NOSIGNAL instead.
    const int size = kSocketBufferSize;
    if (setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size) < 0) {
        return fail("Error setting send buffer size (setsockopt)");
    }
    if (setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size) < 0) {
        return fail("Error setting receive buffer size (setsockopt)");
    }
    socket.fd = fd;
    return std::nullopt;
}

void AsyncUdpSocket::startSources(int family, FamilySocket &socket) {
    using Kind = dispatch::ReadinessSource::Kind;
    const std::weak_ptr<AsyncUdpSocket> weak = weak_from_this();
    // The reactor watches each descriptor number once, so the send source watches a duplicate of it.
    const int sendFd = dup(socket.fd);
    auto receiveCloser = std::make_shared<DescriptorCloser>(socket.fd);
    auto sendCloser = std::make_shared<DescriptorCloser>(sendFd);

    socket.sendSource =
        dispatch::ReadinessSource::create(socketQueue_, sendFd, Kind::Write, [weak](std::size_t) {
            if (auto self = weak.lock()) self->maybeDequeueSend();
        });
    socket.receiveSource =
        dispatch::ReadinessSource::create(socketQueue_, socket.fd, Kind::Read, [weak, family](std::size_t) {
            if (auto self = weak.lock()) self->onReadable(family);
        });
    // Either closer may be the last to go; both descriptors stay open until both sources are cancelled.
    socket.sendSource->setCancelHandler([receiveCloser, sendCloser] {});
    socket.receiveSource->setCancelHandler([receiveCloser, sendCloser] {});
}

void AsyncUdpSocket::closeSocket(FamilySocket &socket) {
    if (socket.sendSource) {
        socket.sendSource->cancel();
        socket.receiveSource->cancel();
    } else if (socket.fd >= 0) {
        ::close(socket.fd);
    }
    socket = FamilySocket{};
}

// --- connect

bool AsyncUdpSocket::connectToHost(const std::string &host, std::uint16_t port, TransportError *error) {
    std::optional<TransportError> failure;
    socketQueue_->sync([&] {
        failure = preCheckConnect(host);
        if (failure) return;
        if (!socketsCreated_) {
            failure = createSockets();
            if (failure) return;
        }
        auto step = std::make_shared<AsyncUdpSpecialPacket>();
        sendQueue_.push_back(step);
        startResolving(step, host, port);
        connecting_ = true;
        maybeDequeueSend();
    });
    if (failure && error) *error = *failure;
    return !failure;
}

std::optional<TransportError> AsyncUdpSocket::preCheckConnect(const std::string &host) const {
    if (delegate() == nullptr) {
        return ownError(AsyncUdpSocketBadConfigError,
                        "Attempting to use socket without a delegate. Set a delegate first.");
    }
    if (!delegateQueue_) {
        return ownError(AsyncUdpSocketBadConfigError,
                        "Attempting to use socket without a delegate queue. Set a delegate queue first.");
    }
    if (connecting_ || connected_) {
        return ownError(AsyncUdpSocketBadConfigError, "Cannot connect a socket more than once.");
    }
    if (!ipv4Enabled_ && !ipv6Enabled_) {
        return ownError(AsyncUdpSocketBadConfigError,
                        "Both IPv4 and IPv6 have been disabled. Must enable at least one protocol first.");
    }
    if (host.empty()) {
        return ownError(AsyncUdpSocketBadParamError,
                        "The host param is nil. Should be domain name or IP address string.");
    }
    return std::nullopt;
}

void AsyncUdpSocket::startResolving(const std::shared_ptr<AsyncUdpSpecialPacket> &step,
                                    const std::string &host, std::uint16_t port) {
    dispatch::WorkQueue::shared()->async([weak = weak_from_this(), queue = socketQueue_, step, host, port] {
        auto outcome = AsyncUdpSpecialPacket::resolve(host, port);
        queue->async([weak, step, outcome = std::move(outcome)]() mutable {
            // A step dropped by close() still gets its outcome; nothing serves it any more.
            *step = std::move(outcome);
            if (auto self = weak.lock()) self->maybeDequeueSend();
        });
    });
}

void AsyncUdpSocket::doConnect(const AsyncUdpSpecialPacket &step) {
    if (step.error) {
        notifyDelegate([error = *step.error](auto &delegate, auto *sock) {
            delegate.udpSocketDidNotConnect(sock, error);
        });
        return;
    }
    TransportError error;
    const auto address = chooseAddress(step, error);
    if (!address) {
        notifyDelegate([error](auto &delegate, auto *sock) { delegate.udpSocketDidNotConnect(sock, error); });
        return;
    }
    const bool useIPv6 = address->family() == AF_INET6;
    FamilySocket &chosen = useIPv6 ? socket6_ : socket4_;
    if (::connect(chosen.fd, address->sockaddrPointer(), address->length()) != 0) {
        const auto failure = TransportError::posix(errno, "Error in connect() function");
        notifyDelegate(
            [failure](auto &delegate, auto *sock) { delegate.udpSocketDidNotConnect(sock, failure); });
        return;
    }
    closeSocket(useIPv6 ? socket4_ : socket6_);
    (useIPv6 ? ipv4Deactivated_ : ipv6Deactivated_) = true;
    connected_ = true;
    cachedConnectedAddress_ = *address;
    notifyDelegate([address = *address](auto &delegate, auto *sock) {
        delegate.udpSocketDidConnectToAddress(sock, address);
    });
}

std::optional<SocketAddress> AsyncUdpSocket::chooseAddress(const AsyncUdpSpecialPacket &step,
                                                           TransportError &error) const {
    const bool canUseIPv4 = ipv4Enabled_ && !ipv4Deactivated_ && socket4_.fd >= 0;
    const bool canUseIPv6 = ipv6Enabled_ && !ipv6Deactivated_ && socket6_.fd >= 0;
    const SocketAddress *first = nullptr;
    const SocketAddress *firstIPv4 = nullptr;
    const SocketAddress *firstIPv6 = nullptr;
    for (const auto &address : step.addresses) {
        const bool isIPv4 = address.family() == AF_INET;
        if (isIPv4 ? !canUseIPv4 : !canUseIPv6) continue;
        if (!first) first = &address;
        if (isIPv4 && !firstIPv4) firstIPv4 = &address;
        if (!isIPv4 && !firstIPv6) firstIPv6 = &address;
    }
    if (preferredFamily_ == AF_INET && firstIPv4) return *firstIPv4;
    if (preferredFamily_ == AF_INET6 && firstIPv6) return *firstIPv6;
    if (first) return *first;

    if (!ipv4Enabled_) {
        error = ownError(AsyncUdpSocketOtherError,
                         "IPv4 has been disabled and DNS lookup found no IPv6 address(es).");
    } else if (!ipv6Enabled_) {
        error = ownError(AsyncUdpSocketOtherError,
                         "IPv6 has been disabled and DNS lookup found no IPv4 address(es).");
    } else if (!canUseIPv4) {
        error = ownError(
            AsyncUdpSocketOtherError,
            "IPv4 has been deactivated due to bind/connect, and DNS lookup found no IPv6 address(es).");
    } else {
        error = ownError(
            AsyncUdpSocketOtherError,
            "IPv6 has been deactivated due to bind/connect, and DNS lookup found no IPv4 address(es).");
    }
    return std::nullopt;
}

// --- the send queue

void AsyncUdpSocket::sendData(std::vector<std::uint8_t> data, double timeout, long tag) {
    if (data.empty()) return;
    auto packet = std::make_shared<AsyncUdpSendPacket>(AsyncUdpSendPacket{std::move(data), timeout, tag});
    socketQueue_->async([weak = weak_from_this(), packet] {
        auto self = weak.lock();
        if (!self) return;
        self->sendQueue_.push_back(packet);
        self->maybeDequeueSend();
    });
}

// Serves the queue head by head until an entry has to wait (a connect step still resolving, a datagram the
// socket cannot take yet).
void AsyncUdpSocket::maybeDequeueSend() {
    while (true) {
        if (!currentSend_) {
            if (sendQueue_.empty()) return;
            currentSend_ = std::move(sendQueue_.front());
            sendQueue_.pop_front();
        }
        if (auto *step = std::get_if<std::shared_ptr<AsyncUdpSpecialPacket>>(&*currentSend_)) {
            if ((*step)->resolveInProgress) return;
            doConnect(**step);
            connecting_ = false;
            currentSend_.reset();
            continue;
        }
        const long tag = std::get<std::shared_ptr<AsyncUdpSendPacket>>(*currentSend_)->tag;
        auto error = socketsCreated_ ? std::nullopt : createSockets();
        if (!error && !connected_) {
            error = ownError(AsyncUdpSocketBadConfigError,
                             "You must specify destination of packet for a non-connected socket");
        }
        if (error) {
            notifyDelegate([tag, error = *error](auto &delegate, auto *sock) {
                delegate.udpSocketDidNotSendDataWithTag(sock, tag, error);
            });
            currentSend_.reset();
            continue;
        }
        doSend();
        if (currentSend_) return;  // waiting for the socket to take it
    }
}

AsyncUdpSocket::FamilySocket &AsyncUdpSocket::connectedSocket() {
    return cachedConnectedAddress_.family() == AF_INET6 ? socket6_ : socket4_;
}

// Sends the current packet once. On success or failure the packet is finished; when the socket cannot take
// it yet, it stays current and the send source wakes us.
void AsyncUdpSocket::doSend() {
    endWaitingToSend();
    const auto packet = std::get<std::shared_ptr<AsyncUdpSendPacket>>(*currentSend_);
    const ssize_t sent =
        ::send(connectedSocket().fd, packet->buffer.data(), packet->buffer.size(), MSG_NOSIGNAL);
    if (sent < 0 && !wouldBlock(errno)) {
        closeWithError(TransportError::posix(errno, "Error in send() function."));
        return;
    }
    if (sent <= 0) {
        waitToSend(*packet);
        return;
    }
    notifyDelegate(
        [tag = packet->tag](auto &delegate, auto *sock) { delegate.udpSocketDidSendDataWithTag(sock, tag); });
    endCurrentSend();
}

void AsyncUdpSocket::waitToSend(const AsyncUdpSendPacket &packet) {
    connectedSocket().sendSource->resume();
    if (packet.timeout < 0 || sendTimer_) return;
    const auto delay =
        std::chrono::duration_cast<dispatch::Duration>(std::chrono::duration<double>(packet.timeout));
    sendTimer_ = dispatch::TimerSource::start(socketQueue_, delay, [weak = weak_from_this()] {
        if (auto self = weak.lock()) self->onSendTimeout();
    });
}

void AsyncUdpSocket::onSendTimeout() {
    if (!currentSend_) return;
    const long tag = std::get<std::shared_ptr<AsyncUdpSendPacket>>(*currentSend_)->tag;
    notifyDelegate([tag](auto &delegate, auto *sock) {
        delegate.udpSocketDidNotSendDataWithTag(
            sock, tag, ownError(AsyncUdpSocketSendTimeoutError, "Send operation timed out"));
    });
    endCurrentSend();
    maybeDequeueSend();
}

void AsyncUdpSocket::endWaitingToSend() {
    // A datagram socket is nearly always writable: a resumed send source would fire without pause.
    if (socket4_.sendSource) socket4_.sendSource->suspend();
    if (socket6_.sendSource) socket6_.sendSource->suspend();
}

void AsyncUdpSocket::endCurrentSend() {
    if (sendTimer_) sendTimer_->cancel();
    sendTimer_.reset();
    endWaitingToSend();
    currentSend_.reset();
}

// --- receiving

bool AsyncUdpSocket::beginReceiving(TransportError *error) {
    std::optional<TransportError> failure;
    socketQueue_->sync([&] {
        if (receiving_) return;
        if (!socketsCreated_) {
            failure =
                ownError(AsyncUdpSocketBadConfigError,
                         "Must bind socket before you can receive data. You can do this explicitly via bind, "
                         "or implicitly via connect or by sending data.");
            return;
        }
        receiving_ = true;
        socketQueue_->async([weak = weak_from_this()] {
            if (auto self = weak.lock()) self->doReceive();
        });
    });
    if (failure && error) *error = *failure;
    return !failure;
}

void AsyncUdpSocket::onReadable(int family) {
    FamilySocket &socket = family == AF_INET6 ? socket6_ : socket4_;
    // The estimate is not trusted for "closed": on Linux it is the size of the next datagram, so an empty
    // datagram reads as zero. Receiving tells what is really there.
    socket.receiveSource->suspend();
    socket.readable = true;
    doReceive();
}

AsyncUdpSocket::FamilySocket *AsyncUdpSocket::socketToReceiveFrom() {
    if (connected_) {
        FamilySocket &socket = connectedSocket();
        return socket.readable ? &socket : nullptr;
    }
    const bool ipv4 = socket4_.readable;
    const bool ipv6 = socket6_.readable;
    if (ipv4 && ipv6) {
        preferIPv6Next_ = !preferIPv6Next_;
        return preferIPv6Next_ ? &socket6_ : &socket4_;
    }
    if (ipv4) return &socket4_;
    if (ipv6) return &socket6_;
    return nullptr;
}

// One receive pass: takes at most one datagram, then queues the next pass, so a flood of datagrams never
// holds the socket queue for long.
void AsyncUdpSocket::doReceive() {
    if (!receiving_) return;
    FamilySocket *socket = socketToReceiveFrom();
    if (!socket) {
        if (socket4_.receiveSource && !socket4_.readable) socket4_.receiveSource->resume();
        if (socket6_.receiveSource && !socket6_.readable) socket6_.receiveSource->resume();
        return;
    }

    std::vector<std::uint8_t> datagram(kMaxReceiveSize);
    sockaddr_storage from{};
    socklen_t fromLength = sizeof from;
    const ssize_t received = ::recvfrom(socket->fd, datagram.data(), datagram.size(), 0,
                                        reinterpret_cast<sockaddr *>(&from), &fromLength);
    if (received < 0) {
        if (!wouldBlock(errno)) {
            closeWithError(TransportError::posix(errno, "Error in recvfrom() function"));
            return;
        }
        socket->readable = false;
        socket->receiveSource->resume();
        return;
    }
    datagram.resize(static_cast<std::size_t>(received));
    const SocketAddress sender(reinterpret_cast<sockaddr *>(&from), fromLength);
    const bool fromPeer = !connected_ || sender == cachedConnectedAddress_;
    if (!datagram.empty() && fromPeer) {
        notifyDelegate([data = std::move(datagram), sender](auto &delegate, auto *sock) {
            delegate.udpSocketDidReceiveData(sock, data, sender, nullptr);
        });
    }
    socketQueue_->async([weak = weak_from_this()] {
        if (auto self = weak.lock()) self->doReceive();
    });
}

// --- close

void AsyncUdpSocket::close() {
    socketQueue_->sync([this] { closeWithError(std::nullopt); });
}

void AsyncUdpSocket::closeWithError(std::optional<TransportError> error) {
    endCurrentSend();
    sendQueue_.clear();
    const bool hadSockets = socketsCreated_;
    closeSocket(socket4_);
    closeSocket(socket6_);
    socketsCreated_ = connecting_ = connected_ = receiving_ = false;
    ipv4Deactivated_ = ipv6Deactivated_ = false;
    cachedConnectedAddress_ = SocketAddress();
    if (!hadSockets) return;
    notifyDelegate(
        [error = std::move(error)](auto &delegate, auto *sock) { delegate.udpSocketDidClose(sock, error); });
}
