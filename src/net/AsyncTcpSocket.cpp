#include "net/AsyncTcpSocket.h"

#include "dispatch/WorkQueue.h"
#include "net/HostLookup.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>

namespace {

constexpr std::size_t kPreBufferCapacity = 4096;  // bytes

dispatch::Duration toDuration(double seconds) {
    return std::chrono::duration_cast<dispatch::Duration>(std::chrono::duration<double>(seconds));
}

TransportError ownError(AsyncTcpSocketError code, const char *description) {
    return TransportError::own(kAsyncTcpSocketErrorDomain, static_cast<long>(code), description);
}

TransportError closedError() {
    return ownError(AsyncTcpSocketError::Closed, "Socket closed by remote peer");
}

bool wouldBlock(int errorNumber) {
    return errorNumber == EAGAIN || errorNumber == EWOULDBLOCK || errorNumber == EINTR;
}

bool setNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// The numeric text and port of the connected peer.
std::pair<std::string, std::uint16_t> peerAddress(int fd) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getpeername(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) return {};
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET6) {
        const auto &v6 = reinterpret_cast<const sockaddr_in6 &>(address);
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        return {text, ntohs(v6.sin6_port)};
    }
    const auto &v4 = reinterpret_cast<const sockaddr_in &>(address);
    inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    return {text, ntohs(v4.sin_port)};
}

}  // namespace

// Decides, when a queued callback runs, whether it may still reach its delegate (see the header).
struct AsyncTcpSocket::DeliveryGate {
    std::recursive_mutex mutex;  // held while a callback runs; recursive so a callback may call setDelegate
    // --- guarded by mutex
    AsyncTcpSocketDelegate *delegate = nullptr;  // as the owner last set it
    bool socketAlive = true;
    // --- any thread: the owner's connection, bumped on the socket queue whenever the owner ends one
    // (disconnect) or starts one (connect); read callbacks carry the value they were made under and are
    // dropped when it has moved on
    std::atomic<std::uint64_t> connection{0};

    // madeOnConnection: for data, the connection it was read on. Every check is made under the lock, so a
    // reconnection made while this callback waited for the lock (in setDelegate) is seen.
    template <typename Call>
    void deliver(AsyncTcpSocketDelegate *intended, bool needsSocket, Call call,
                 std::optional<std::uint64_t> madeOnConnection = std::nullopt) {
        std::lock_guard lock(mutex);
        if (delegate != intended || (needsSocket && !socketAlive)) return;
        if (madeOnConnection && *madeOnConnection != connection.load()) return;
        call(*intended);
    }
};

// One address family of a connect attempt: its address, its descriptor and the readiness source that waits
// for a non-blocking connect to finish. Lives on the socket queue.
struct AsyncTcpSocket::Endpoint {
    int family = AF_UNSPEC;
    sockaddr_storage address{};
    socklen_t addressLength = 0;
    ScopedFd fd;
    dispatch::ReadinessSourcePtr connectSource;

    ~Endpoint() {
        // Unregister from the reactor before the descriptor closes.
        if (connectSource) connectSource->cancel();
    }

    // Opens a non-blocking socket for the address; null with error set on failure.
    static std::unique_ptr<Endpoint> open(int family, const void *address, socklen_t length,
                                          std::optional<TransportError> &error) {
        auto endpoint = std::make_unique<Endpoint>();
        endpoint->family = family;
        std::memcpy(&endpoint->address, address, length);
        endpoint->addressLength = length;
        // Linux has no per-socket SIGPIPE option; this socket never writes, so the signal cannot arise.
        endpoint->fd.reset(socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (!endpoint->fd.valid()) {
            error = TransportError::posix(errno, "Error in socket() function");
            return nullptr;
        }
        if (!setNonBlocking(endpoint->fd.get())) {
            error = ownError(AsyncTcpSocketError::Other, "Error enabling non-blocking IO on socket (fcntl)");
            return nullptr;
        }
        return endpoint;
    }
};

std::shared_ptr<AsyncTcpSocket> AsyncTcpSocket::create(AsyncTcpSocketDelegate *delegate,
                                                       dispatch::QueuePtr delegateQueue) {
    return std::make_shared<AsyncTcpSocket>(Private(), delegate, std::move(delegateQueue));
}

AsyncTcpSocket::AsyncTcpSocket(Private, AsyncTcpSocketDelegate *delegate, dispatch::QueuePtr delegateQueue)
    : socketQueue_(dispatch::SerialQueue::create("AsyncTcpSocket")),
      gate_(std::make_shared<DeliveryGate>()),
      delegate_(delegate),
      delegateQueue_(std::move(delegateQueue)),
      preBuffer_(kPreBufferCapacity) {
    gate_->delegate = delegate;
}

AsyncTcpSocket::~AsyncTcpSocket() {
    socketQueue_->sync([this] {
        if (started_) closeWithError(std::nullopt, /*destroying=*/true);
    });
    std::lock_guard lock(gate_->mutex);
    gate_->socketAlive = false;
}

// ---------------------------------------------------------------------------------------------------------
// Settings

void AsyncTcpSocket::setDelegate(AsyncTcpSocketDelegate *delegate) {
    {
        std::lock_guard lock(gate_->mutex);
        gate_->delegate = delegate;
    }
    if (socketQueue_->isCurrent()) {
        delegate_ = delegate;
        return;
    }
    socketQueue_->async([weak = weak_from_this(), delegate] {
        if (auto self = weak.lock()) self->delegate_ = delegate;
    });
}

void AsyncTcpSocket::setIPv4Enabled(bool enabled) {
    socketQueue_->sync([&] { ipv4Enabled_ = enabled; });
}

void AsyncTcpSocket::setIPv6Enabled(bool enabled) {
    socketQueue_->sync([&] { ipv6Enabled_ = enabled; });
}

void AsyncTcpSocket::setIPv6Preferred(bool preferred) {
    socketQueue_->sync([&] { ipv6Preferred_ = preferred; });
}

void AsyncTcpSocket::setAlternateAddressDelay(double seconds) {
    socketQueue_->sync([&] { alternateAddressDelay_ = seconds; });
}

bool AsyncTcpSocket::isConnected() const {
    bool connected = false;
    socketQueue_->sync([&] { connected = connected_; });
    return connected;
}

bool AsyncTcpSocket::isDisconnected() const {
    bool disconnected = false;
    socketQueue_->sync([&] { disconnected = !started_; });
    return disconnected;
}

std::string AsyncTcpSocket::connectedHost() const {
    std::string host;
    socketQueue_->sync([&] { host = connectedHost_; });
    return host;
}

std::uint16_t AsyncTcpSocket::connectedPort() const {
    std::uint16_t port = 0;
    socketQueue_->sync([&] { port = connectedPort_; });
    return port;
}

// ---------------------------------------------------------------------------------------------------------
// Connect

bool AsyncTcpSocket::connectToHost(const std::string &host, std::uint16_t port, double timeoutSeconds,
                                   TransportError *error) {
    bool accepted = false;
    socketQueue_->sync([&] { accepted = connectOnQueue(host, port, timeoutSeconds, error); });
    return accepted;
}

std::optional<TransportError> AsyncTcpSocket::connectRefusal(const std::string &host) const {
    using enum AsyncTcpSocketError;
    if (host.empty())
        return ownError(
            BadParam, "Invalid host parameter (nil or \"\"). Should be a domain name or IP address string.");
    if (!delegate_)
        return ownError(BadConfig, "Attempting to connect without a delegate. Set a delegate first.");
    if (!delegateQueue_)
        return ownError(BadConfig,
                        "Attempting to connect without a delegate queue. Set a delegate queue first.");
    if (started_)
        return ownError(BadConfig,
                        "Attempting to connect while connected or accepting connections. Disconnect first.");
    if (!ipv4Enabled_ && !ipv6Enabled_)
        return ownError(BadConfig,
                        "Both IPv4 and IPv6 have been disabled. Must enable at least one protocol first.");
    return std::nullopt;
}

bool AsyncTcpSocket::connectOnQueue(const std::string &host, std::uint16_t port, double timeoutSeconds,
                                    TransportError *error) {
    if (auto refusal = connectRefusal(host)) {
        if (error) *error = *refusal;
        return false;
    }
    readQueue_.clear();
    started_ = true;
    gate_->connection.fetch_add(1);  // data of an earlier connection still on its way is not for this one
    const int attempt = stateIndex_;
    const std::weak_ptr<AsyncTcpSocket> weak = weak_from_this();

    dispatch::WorkQueue::shared()->async([weak, host, port, attempt] {
        const HostLookup lookup = HostLookup::resolve(host, port);
        if (auto self = weak.lock()) {
            self->socketQueue_->async([weak, lookup, attempt] {
                if (auto self = weak.lock()) self->didResolve(lookup, attempt);
            });
        }
    });
    if (timeoutSeconds >= 0) {
        connectTimer_ = dispatch::TimerSource::start(socketQueue_, toDuration(timeoutSeconds), [weak] {
            if (auto self = weak.lock())
                self->closeWithError(
                    ownError(AsyncTcpSocketError::ConnectTimeout, "Attempt to connect to host timed out"));
        });
    }
    return true;
}

void AsyncTcpSocket::didResolve(const HostLookup &lookup, int attempt) {
    if (attempt != stateIndex_) return;
    if (lookup.error) {
        closeWithError(*lookup.error);
    } else if (!ipv4Enabled_ && !lookup.ipv6) {
        closeWithError(ownError(AsyncTcpSocketError::Other,
                                "IPv4 has been disabled and DNS lookup found no IPv6 address."));
    } else if (!ipv6Enabled_ && !lookup.ipv4) {
        closeWithError(ownError(AsyncTcpSocketError::Other,
                                "IPv6 has been disabled and DNS lookup found no IPv4 address."));
    } else {
        connectWithAddresses(lookup, attempt);
    }
}

void AsyncTcpSocket::connectWithAddresses(const HostLookup &lookup, int attempt) {
    std::optional<TransportError> socketError;
    if (ipv4Enabled_ && lookup.ipv4)
        endpoint4_ = Endpoint::open(AF_INET, &*lookup.ipv4, sizeof(sockaddr_in), socketError);
    if (ipv6Enabled_ && lookup.ipv6)
        endpoint6_ = Endpoint::open(AF_INET6, &*lookup.ipv6, sizeof(sockaddr_in6), socketError);
    if (!endpoint4_ && !endpoint6_) {
        closeWithError(socketError);
        return;
    }

    Endpoint *preferred = endpoint4_.get();
    Endpoint *alternate = endpoint6_.get();
    if (!preferred || (ipv6Preferred_ && endpoint6_)) std::swap(preferred, alternate);
    const int alternateFamily = alternate ? alternate->family : AF_UNSPEC;

    startConnect(*preferred, attempt);
    if (alternateFamily == AF_UNSPEC || attempt != stateIndex_) return;
    socketQueue_->after(toDuration(alternateAddressDelay_),
                        [weak = weak_from_this(), alternateFamily, attempt] {
                            auto self = weak.lock();
                            if (!self || attempt != self->stateIndex_ || self->connected_) return;
                            if (auto &endpoint = self->endpointFor(alternateFamily))
                                self->startConnect(*endpoint, attempt);
                        });
}

void AsyncTcpSocket::startConnect(Endpoint &endpoint, int attempt) {
    const int family = endpoint.family;
    if (::connect(endpoint.fd.get(), reinterpret_cast<const sockaddr *>(&endpoint.address),
                  endpoint.addressLength) == 0) {
        didFinishConnect(family, 0, attempt);
        return;
    }
    if (errno != EINPROGRESS) {
        didFinishConnect(family, errno, attempt);
        return;
    }
    // A connect that never completes holds no thread: the wait is a readiness source that close cancels.
    endpoint.connectSource = dispatch::ReadinessSource::create(
        socketQueue_, endpoint.fd.get(), dispatch::ReadinessSource::Kind::Write,
        [weak = weak_from_this(), family, attempt](std::size_t) {
            auto self = weak.lock();
            if (!self) return;
            auto &endpoint = self->endpointFor(family);
            if (!endpoint) return;
            int result = 0;
            socklen_t length = sizeof result;
            if (getsockopt(endpoint->fd.get(), SOL_SOCKET, SO_ERROR, &result, &length) != 0) result = errno;
            endpoint->connectSource->cancel();
            endpoint->connectSource.reset();
            self->didFinishConnect(family, result, attempt);
        });
    endpoint.connectSource->resume();
}

void AsyncTcpSocket::didFinishConnect(int family, int errorNumber, int attempt) {
    if (attempt != stateIndex_) return;
    auto &endpoint = endpointFor(family);
    if (!endpoint) return;
    if (errorNumber != 0) {
        endpoint.reset();
        if (!endpoint4_ && !endpoint6_)
            closeWithError(TransportError::posix(errorNumber, "Error in connect() function"));
        return;
    }
    endpointFor(family == AF_INET ? AF_INET6 : AF_INET).reset();
    didConnect();
}

void AsyncTcpSocket::didConnect() {
    connected_ = true;
    endConnectTimeout();
    const int fd = connectedFd();
    std::tie(connectedHost_, connectedPort_) = peerAddress(fd);
    notifyConnect(connectedHost_, connectedPort_);

    if (!setNonBlocking(fd)) {
        closeWithError(
            ownError(AsyncTcpSocketError::Other, "Error enabling non-blocking IO on socket (fcntl)"));
        return;
    }
    readSource_ = dispatch::ReadinessSource::create(socketQueue_, fd, dispatch::ReadinessSource::Kind::Read,
                                                    [weak = weak_from_this()](std::size_t bytesAvailable) {
                                                        if (auto self = weak.lock())
                                                            self->didReadReady(bytesAvailable);
                                                    });
    readSource_->resume();
    maybeDequeueRead();
}

void AsyncTcpSocket::endConnectTimeout() {
    if (connectTimer_) {
        connectTimer_->cancel();
        connectTimer_.reset();
    }
    ++stateIndex_;
}

std::unique_ptr<AsyncTcpSocket::Endpoint> &AsyncTcpSocket::endpointFor(int family) {
    return family == AF_INET ? endpoint4_ : endpoint6_;
}

int AsyncTcpSocket::connectedFd() const {
    if (endpoint4_) return endpoint4_->fd.get();
    if (endpoint6_) return endpoint6_->fd.get();
    return -1;
}

// ---------------------------------------------------------------------------------------------------------
// Read

void AsyncTcpSocket::readDataToData(std::vector<std::uint8_t> terminator, double timeoutSeconds, long tag) {
    readDataToData(std::move(terminator), timeoutSeconds, 0, tag);
}

void AsyncTcpSocket::readDataToData(std::vector<std::uint8_t> terminator, double timeoutSeconds,
                                    std::uint64_t maxLength, long tag) {
    if (terminator.empty() || (maxLength > 0 && maxLength < terminator.size())) return;
    socketQueue_->async([weak = weak_from_this(), terminator = std::move(terminator), timeoutSeconds,
                         maxLength, tag]() mutable {
        auto self = weak.lock();
        if (!self || !self->started_) return;
        self->readQueue_.push_back(
            std::make_unique<AsyncReadPacket>(std::move(terminator), timeoutSeconds, maxLength, tag));
        self->maybeDequeueRead();
    });
}

void AsyncTcpSocket::maybeDequeueRead() {
    if (currentRead_ || !connected_) return;
    if (readQueue_.empty()) {
        // The end of the stream waits until the bytes before it have been read.
        if (readEOF_ && preBuffer_.availableBytes() == 0) closeWithError(closedError());
        return;
    }
    currentRead_ = std::move(readQueue_.front());
    readQueue_.pop_front();
    if (currentRead_->timeout() >= 0) {
        readTimer_ = dispatch::TimerSource::start(
            socketQueue_, toDuration(currentRead_->timeout()), [weak = weak_from_this()] {
                if (auto self = weak.lock())
                    self->closeWithError(
                        ownError(AsyncTcpSocketError::ReadTimeout, "Read operation timed out"));
            });
    }
    doReadData();
}

void AsyncTcpSocket::didReadReady(std::size_t bytesAvailable) {
    socketFDBytesAvailable_ = bytesAvailable;
    if (bytesAvailable == 0) {
        // Readable with nothing to read: the end of the stream, a pending error, or a wake-up gone stale.
        std::uint8_t probe = 0;
        const ssize_t peeked = ::recv(connectedFd(), &probe, 1, MSG_PEEK);
        if (peeked == 0) {
            doReadEOF();
            return;
        }
        if (peeked < 0) {
            if (!wouldBlock(errno)) closeWithError(TransportError::posix(errno, "Error in read() function"));
            return;
        }
        socketFDBytesAvailable_ = 1;
    }
    if (!currentRead_) {
        // Leave the bytes in the socket until a request wants them; a level-triggered source would spin.
        readSource_->suspend();
        return;
    }
    doReadData();
}

void AsyncTcpSocket::doReadData() {
    while (currentRead_) {
        if (preBuffer_.availableBytes() > 0 && currentRead_->takeFrom(preBuffer_)) {
            completeCurrentRead();
            return;
        }
        // Here the prebuffer is empty, or the request is full.
        if (currentRead_->isMaxedOut()) {
            closeWithError(
                ownError(AsyncTcpSocketError::ReadMaxedOut, "Read operation reached set maximum length"));
            return;
        }
        if (readEOF_) {
            closeWithError(closedError());
            return;
        }
        if (socketFDBytesAvailable_ == 0) {
            readSource_->resume();
            return;
        }
        if (!fillPreBuffer()) return;
    }
}

bool AsyncTcpSocket::fillPreBuffer() {
    const std::size_t wanted = currentRead_->readLimit(socketFDBytesAvailable_);
    preBuffer_.ensureCapacityForWrite(wanted);
    const ssize_t got = ::read(connectedFd(), preBuffer_.writeBuffer(), wanted);
    if (got > 0) {
        preBuffer_.didWrite(static_cast<std::size_t>(got));
        socketFDBytesAvailable_ -= std::min(socketFDBytesAvailable_, static_cast<std::size_t>(got));
        return true;
    }
    if (got == 0) {
        readEOF_ = true;
        readSource_->suspend();
        return true;
    }
    if (wouldBlock(errno)) {
        socketFDBytesAvailable_ = 0;
        readSource_->resume();
        return false;
    }
    closeWithError(TransportError::posix(errno, "Error in read() function"));
    return false;
}

void AsyncTcpSocket::doReadEOF() {
    readEOF_ = true;
    readSource_->suspend();  // the end stays readable for good
    if (currentRead_)
        doReadData();  // takes what is left, then closes
    else if (preBuffer_.availableBytes() == 0)
        closeWithError(closedError());
    // otherwise later requests take the rest and maybeDequeueRead closes once it is gone
}

void AsyncTcpSocket::completeCurrentRead() {
    if (readTimer_) {
        readTimer_->cancel();
        readTimer_.reset();
    }
    auto packet = std::move(currentRead_);
    notifyRead(packet->takeData(), packet->tag());
    maybeDequeueRead();
}

// ---------------------------------------------------------------------------------------------------------
// Disconnect and close

void AsyncTcpSocket::disconnect() {
    socketQueue_->sync([this] {
        // The owner is done with this connection, also when the peer has closed it already: data it has not
        // been handed yet would arrive after the disconnect and be taken for data of the next connection.
        // Until then, data read before a peer's close is still delivered.
        gate_->connection.fetch_add(1);
        if (started_) closeWithError(std::nullopt);
    });
}

void AsyncTcpSocket::closeWithError(std::optional<TransportError> error, bool destroying) {
    endConnectTimeout();
    if (readTimer_) {
        readTimer_->cancel();
        readTimer_.reset();
    }
    currentRead_.reset();
    readQueue_.clear();
    preBuffer_.reset();
    if (readSource_) {
        readSource_->cancel();  // before the descriptor closes
        readSource_.reset();
    }
    endpoint4_.reset();
    endpoint6_.reset();

    const bool wasStarted = started_;
    started_ = connected_ = readEOF_ = false;
    socketFDBytesAvailable_ = 0;
    connectedHost_.clear();
    connectedPort_ = 0;
    if (wasStarted && delegateQueue_) notifyDisconnect(std::move(error), destroying);
}

// ---------------------------------------------------------------------------------------------------------
// Delivery to the delegate

void AsyncTcpSocket::notifyConnect(const std::string &host, std::uint16_t port) {
    AsyncTcpSocketDelegate *delegate = delegate_;
    if (!delegate || !delegateQueue_) return;
    delegateQueue_->async([gate = gate_, delegate, sock = this, host, port] {
        gate->deliver(delegate, true,
                      [&](AsyncTcpSocketDelegate &d) { d.socketDidConnectToHost(sock, host, port); });
    });
}

void AsyncTcpSocket::notifyRead(std::vector<std::uint8_t> data, long tag) {
    AsyncTcpSocketDelegate *delegate = delegate_;
    if (!delegate || !delegateQueue_) return;
    const std::uint64_t connection = gate_->connection.load();
    delegateQueue_->async([gate = gate_, delegate, sock = this, data = std::move(data), tag, connection] {
        gate->deliver(
            delegate, true, [&](AsyncTcpSocketDelegate &d) { d.socketDidReadData(sock, data, tag); },
            connection);
    });
}

void AsyncTcpSocket::notifyDisconnect(std::optional<TransportError> error, bool destroying) {
    AsyncTcpSocketDelegate *delegate = delegate_;
    if (!delegate) return;
    AsyncTcpSocket *sock = destroying ? nullptr : this;
    delegateQueue_->async([gate = gate_, delegate, sock, error = std::move(error)] {
        gate->deliver(delegate, sock != nullptr,
                      [&](AsyncTcpSocketDelegate &d) { d.socketDidDisconnect(sock, error); });
    });
}
