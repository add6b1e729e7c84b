#pragma once

// An asynchronous TCP client socket: connect with a timeout, read up to and including a terminator,
// disconnect. Requests return at once; results arrive as delegate callbacks on the delegate queue, in the
// order the socket produced them. All socket state lives on a private serial queue labelled
// "AsyncTcpSocket", so any thread may call any method.
//
// Delegate lifetime: the delegate is not owned. A callback is delivered only if, when it runs, the socket
// still exists and the delegate it was meant for is still the socket's delegate; setDelegate() waits for a
// callback that is running, so after setDelegate(nullptr) returns the old delegate is never called again.
// Data of a connection that has not reached the delegate when the owner calls disconnect() (also after the
// peer has closed) or connects again is dropped, so it is never taken for data of the next connection.

#include "dispatch/Queue.h"
#include "dispatch/ReadinessSource.h"
#include "dispatch/SerialQueue.h"
#include "dispatch/TimerSource.h"
#include "net/AsyncReadPacket.h"
#include "net/AsyncTcpSocketPreBuffer.h"
#include "net/ScopedFd.h"
#include "net/TransportError.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class AsyncTcpSocket;
struct HostLookup;

class AsyncTcpSocketDelegate {
  public:
    virtual ~AsyncTcpSocketDelegate() = default;

    // The connection is up; host is the peer's numeric address.
    virtual void socketDidConnectToHost(AsyncTcpSocket * /*sock*/, const std::string & /*host*/,
                                        std::uint16_t /*port*/) {}
    // data runs from where the previous read ended up to and including the terminator.
    virtual void socketDidReadData(AsyncTcpSocket * /*sock*/, const std::vector<std::uint8_t> & /*data*/,
                                   long /*tag*/) {}
    // A started socket closed: error is empty after disconnect(). sock is null when the socket is being
    // destroyed.
    virtual void socketDidDisconnect(AsyncTcpSocket * /*sock*/,
                                     const std::optional<TransportError> & /*error*/) {}
};

inline constexpr const char *kAsyncTcpSocketErrorDomain = "AsyncTcpSocketErrorDomain";

enum class AsyncTcpSocketError : long {
    BadConfig = 1,
    BadParam = 2,
    ConnectTimeout = 3,
    ReadTimeout = 4,
    WriteTimeout = 5,
    ReadMaxedOut = 6,
    Closed = 7,
    Other = 8,
};

class AsyncTcpSocket : public std::enable_shared_from_this<AsyncTcpSocket> {
    struct Private {
        explicit Private() = default;
    };

  public:
    // delegateQueue is where callbacks run (the receiver uses the main event queue).
    static std::shared_ptr<AsyncTcpSocket> create(AsyncTcpSocketDelegate *delegate,
                                                  dispatch::QueuePtr delegateQueue);
    AsyncTcpSocket(Private, AsyncTcpSocketDelegate *delegate, dispatch::QueuePtr delegateQueue);
    // Closes a started socket first; its delegate then gets socketDidDisconnect with a null socket.
    ~AsyncTcpSocket();
    AsyncTcpSocket(const AsyncTcpSocket &) = delete;
    AsyncTcpSocket &operator=(const AsyncTcpSocket &) = delete;

    // Queued on the socket queue, so a later connect or disconnect from the same thread sees the new one.
    void setDelegate(AsyncTcpSocketDelegate *delegate);

    // Address families to use; both are on by default and IPv4 is tried first.
    void setIPv4Enabled(bool enabled);
    void setIPv6Enabled(bool enabled);
    void setIPv6Preferred(bool preferred);
    // Delay before the second address family is tried (0.3 s by default).
    void setAlternateAddressDelay(double seconds);

    // Starts connecting and returns true; the outcome arrives as socketDidConnectToHost or
    // socketDidDisconnect. Returns false with *error set when refused at once (empty host: code 2; no
    // delegate or delegate queue, already started, both families off: code 1). A negative timeout means
    // none.
    bool connectToHost(const std::string &host, std::uint16_t port, double timeoutSeconds,
                       TransportError *error = nullptr);

    // Queues a read of every byte up to and including the first occurrence of terminator. Ignored when the
    // terminator is empty, or when maxLength (0 = no limit) is shorter than it; dropped when the socket is
    // not started. A read that reaches maxLength without the terminator closes with code 6.
    void readDataToData(std::vector<std::uint8_t> terminator, double timeoutSeconds, long tag);
    void readDataToData(std::vector<std::uint8_t> terminator, double timeoutSeconds, std::uint64_t maxLength,
                        long tag);

    // Closes a started socket with no error (reported through socketDidDisconnect); does nothing otherwise.
    void disconnect();

    bool isConnected() const;
    bool isDisconnected() const;
    std::string connectedHost() const;
    std::uint16_t connectedPort() const;

  private:
    struct DeliveryGate;
    struct Endpoint;

    // connect
    std::optional<TransportError> connectRefusal(const std::string &host) const;
    bool connectOnQueue(const std::string &host, std::uint16_t port, double timeoutSeconds,
                        TransportError *error);
    void didResolve(const HostLookup &lookup, int attempt);
    void connectWithAddresses(const HostLookup &lookup, int attempt);
    void startConnect(Endpoint &endpoint, int attempt);
    void didFinishConnect(int family, int errorNumber, int attempt);
    void didConnect();
    void endConnectTimeout();
    std::unique_ptr<Endpoint> &endpointFor(int family);
    // read
    void maybeDequeueRead();
    void doReadData();
    bool fillPreBuffer();
    void didReadReady(std::size_t bytesAvailable);
    void doReadEOF();
    void completeCurrentRead();
    // close
    void closeWithError(std::optional<TransportError> error, bool destroying = false);
    // delivery
    void notifyConnect(const std::string &host, std::uint16_t port);
    void notifyRead(std::vector<std::uint8_t> data, long tag);
    void notifyDisconnect(std::optional<TransportError> error, bool destroying);

    int connectedFd() const;

    // --- fixed at construction
    const dispatch::SerialQueuePtr socketQueue_;
    const std::shared_ptr<DeliveryGate> gate_;

    // --- touched only on socketQueue_
    AsyncTcpSocketDelegate *delegate_;
    dispatch::QueuePtr delegateQueue_;
    bool started_ = false;
    bool connected_ = false;
    bool readEOF_ = false;
    bool ipv4Enabled_ = true;
    bool ipv6Enabled_ = true;
    bool ipv6Preferred_ = false;
    double alternateAddressDelay_ = 0.3;  // seconds
    int stateIndex_ = 0;                  // connect attempt; results of older attempts are ignored
    std::unique_ptr<Endpoint> endpoint4_;
    std::unique_ptr<Endpoint> endpoint6_;
    dispatch::TimerSourcePtr connectTimer_;
    dispatch::ReadinessSourcePtr readSource_;
    dispatch::TimerSourcePtr readTimer_;
    std::deque<std::unique_ptr<AsyncReadPacket>> readQueue_;
    std::unique_ptr<AsyncReadPacket> currentRead_;
    std::size_t socketFDBytesAvailable_ = 0;  // what the last readiness event said could be read
    AsyncTcpSocketPreBuffer preBuffer_;
    std::string connectedHost_;
    std::uint16_t connectedPort_ = 0;
};
