#pragma once

// An asynchronous UDP socket, as far as the command channel drives it: connect to one peer, receive
// continuously from it, send datagrams with tags, close. Requests return at once; results arrive as
// callbacks on the delegate queue.
//
// All socket state lives on a private serial queue labelled "AsyncUdpSocket", so any thread may call in.
// connectToHost, beginReceiving, close and the queries run synchronously on it (inline when already on it);
// sendData is queued. Sends and the connect step share one FIFO, so a send requested right after a connect
// waits for the connect to finish.
//
// Lifetime: make sockets with create(). Callbacks already queued for the delegate are dropped once
// setDelegate(nullptr) has returned or the socket is gone, so an owner may destroy its delegate right after
// detaching it; setDelegate waits for a callback that is running at that moment to finish.

#include "dispatch/Queue.h"
#include "dispatch/ReadinessSource.h"
#include "dispatch/SerialQueue.h"
#include "dispatch/TimerSource.h"
#include "net/AsyncUdpSendPacket.h"
#include "net/AsyncUdpSpecialPacket.h"
#include "net/SocketAddress.h"
#include "net/TransportError.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

class AsyncUdpSocket;

inline constexpr const char *kAsyncUdpSocketErrorDomain = "AsyncUdpSocketErrorDomain";

enum AsyncUdpSocketError : long {
    AsyncUdpSocketBadConfigError = 1,
    AsyncUdpSocketBadParamError = 2,
    AsyncUdpSocketSendTimeoutError = 3,
    AsyncUdpSocketClosedError = 4,
    AsyncUdpSocketOtherError = 5,
};

// Every callback is optional; all run on the delegate queue, in the order the socket produced them.
class AsyncUdpSocketDelegate {
  public:
    virtual ~AsyncUdpSocketDelegate() = default;

    // address: the peer the socket is now connected to.
    virtual void udpSocketDidConnectToAddress(AsyncUdpSocket * /*sock*/, const SocketAddress & /*address*/) {}
    virtual void udpSocketDidNotConnect(AsyncUdpSocket * /*sock*/, const TransportError & /*error*/) {}
    virtual void udpSocketDidSendDataWithTag(AsyncUdpSocket * /*sock*/, long /*tag*/) {}
    virtual void udpSocketDidNotSendDataWithTag(AsyncUdpSocket * /*sock*/, long /*tag*/,
                                                const TransportError & /*error*/) {}
    // filterContext is always null: the socket has no receive filters.
    virtual void udpSocketDidReceiveData(AsyncUdpSocket * /*sock*/,
                                         const std::vector<std::uint8_t> & /*data*/,
                                         const SocketAddress & /*address*/, const void * /*filterContext*/) {}
    // error is empty after close().
    virtual void udpSocketDidClose(AsyncUdpSocket * /*sock*/,
                                   const std::optional<TransportError> & /*error*/) {}
};

class AsyncUdpSocket : public std::enable_shared_from_this<AsyncUdpSocket> {
    struct DelegateLink;
    // Only create() can make the key, so every socket is owned by a shared_ptr.
    struct Private {
        explicit Private() = default;
    };

  public:
    // delegate: not owned. delegateQueue: where callbacks run; none means no callbacks and no connect.
    static std::shared_ptr<AsyncUdpSocket> create(AsyncUdpSocketDelegate *delegate,
                                                  dispatch::QueuePtr delegateQueue);
    AsyncUdpSocket(Private, AsyncUdpSocketDelegate *delegate, dispatch::QueuePtr delegateQueue);
    ~AsyncUdpSocket();
    AsyncUdpSocket(const AsyncUdpSocket &) = delete;
    AsyncUdpSocket &operator=(const AsyncUdpSocket &) = delete;

    AsyncUdpSocketDelegate *delegate() const;
    void setDelegate(AsyncUdpSocketDelegate *delegate);

    // Address families; both enabled and neither preferred by default (the first resolved address wins).
    void setIPv4Enabled(bool enabled);
    void setIPv6Enabled(bool enabled);
    void setPreferIPv4();
    void setPreferIPv6();

    // True: the connect step is queued and its outcome follows as udpSocketDidConnectToAddress or
    // udpSocketDidNotConnect. False: refused at once, with the reason in *error (may be null).
    bool connectToHost(const std::string &host, std::uint16_t port, TransportError *error);
    // Delivers every datagram from the connected peer until close(). False (code 1) before any socket exists.
    bool beginReceiving(TransportError *error);
    // timeout in seconds, negative for none. Empty data is ignored; otherwise exactly one of
    // udpSocketDidSendDataWithTag / udpSocketDidNotSendDataWithTag follows, unless the socket closes first.
    void sendData(std::vector<std::uint8_t> data, double timeout, long tag);
    // Drops queued sends without callbacks; udpSocketDidClose follows if sockets existed.
    void close();

    bool isConnected() const;
    // True while no operating-system socket exists: before the first connect or send, and after close.
    bool isClosed() const;
    // The peer after a successful connect, else an empty address.
    SocketAddress connectedAddress() const;
    // The local address of the connected socket, else an empty address.
    SocketAddress localAddress() const;

  private:
    using SendQueueEntry =
        std::variant<std::shared_ptr<AsyncUdpSendPacket>, std::shared_ptr<AsyncUdpSpecialPacket>>;

    // One operating-system socket with its two readiness sources.
    struct FamilySocket {
        int fd = -1;
        dispatch::ReadinessSourcePtr sendSource;
        dispatch::ReadinessSourcePtr receiveSource;
        // A read-readiness event came and the socket has not yet reported "would block".
        bool readable = false;
    };

    std::optional<TransportError> preCheckConnect(const std::string &host) const;
    std::optional<TransportError> createSockets();
    std::optional<TransportError> createSocket(int family, FamilySocket &socket);
    void startSources(int family, FamilySocket &socket);
    void closeSocket(FamilySocket &socket);
    void startResolving(const std::shared_ptr<AsyncUdpSpecialPacket> &step, const std::string &host,
                        std::uint16_t port);

    void maybeDequeueSend();
    void doConnect(const AsyncUdpSpecialPacket &step);
    std::optional<SocketAddress> chooseAddress(const AsyncUdpSpecialPacket &step,
                                               TransportError &error) const;
    void doSend();
    void waitToSend(const AsyncUdpSendPacket &packet);
    void onSendTimeout();
    void endWaitingToSend();
    void endCurrentSend();

    void doReceive();
    void onReadable(int family);
    FamilySocket *socketToReceiveFrom();

    void closeWithError(std::optional<TransportError> error);
    FamilySocket &connectedSocket();

    template <typename Call>
    void notifyDelegate(Call call);

    // --- set at creation, then read from any thread
    dispatch::SerialQueuePtr socketQueue_;
    dispatch::QueuePtr delegateQueue_;
    // Guards the delegate for callbacks in flight; shared with them.
    std::shared_ptr<DelegateLink> link_;

    // --- touched only on socketQueue_
    bool ipv4Enabled_ = true;
    bool ipv6Enabled_ = true;
    int preferredFamily_ = 0;  // AF_UNSPEC, AF_INET or AF_INET6
    bool socketsCreated_ = false;
    bool connecting_ = false;
    bool connected_ = false;
    bool receiving_ = false;
    bool ipv4Deactivated_ = false;
    bool ipv6Deactivated_ = false;
    // Alternates between the two sockets when both have datagrams waiting.
    bool preferIPv6Next_ = false;
    FamilySocket socket4_;
    FamilySocket socket6_;
    std::deque<SendQueueEntry> sendQueue_;
    std::optional<SendQueueEntry> currentSend_;
    dispatch::TimerSourcePtr sendTimer_;
    SocketAddress cachedConnectedAddress_;
};
