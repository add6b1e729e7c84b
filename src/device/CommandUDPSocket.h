#pragma once

// The camera's command channel: one datagram socket connected to the command port. Builds the request
// datagrams, parses the replies and keeps the resolution list. Socket callbacks, reply parsing and delegate
// calls run on the main event queue.

#include "base/ThrottledLog.h"
#include "device/STRUCT_RESOLUTION.h"
#include "net/AsyncUdpSocket.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CommandUDPSocketDelegate {
  public:
    virtual ~CommandUDPSocketDelegate() = default;
    // The list is being replaced: it has been emptied and the new records follow.
    virtual void ClearResolution() = 0;
    // All records of the reply are in m_resolution_list.
    virtual void fillResolution() = 0;
    // Optional: the channel's socket has closed by itself, because of an error (typically the camera's
    // command port answered a datagram with "port unreachable"). The channel takes no more requests.
    virtual void commandSocketDidClose() {}
    // Optional, for tools that wait for the camera's answer to a choice: the result of
    // func_return_set_resolution (0 success, -1 anything else) for each set-resolution reply; complete is
    // false when the reply was too short to tell success from refusal.
    virtual void setResolutionReplied(std::int32_t /*result*/, bool /*complete*/) {}
};

enum : std::uint8_t { SEND_GET_RESOLUTION = 1, SEND_SET_RESOLUTION = 2, SEND_REBOOT = 3 };

class CommandUDPSocket : public AsyncUdpSocketDelegate {
  public:
    // A list reply is taken only in answer to a request still waiting this long; others are dropped (a
    // flood of unrequested lists froze the window and filled the disk with log lines).
    static constexpr std::chrono::seconds kListReplyWindow{3};
    // The set request addresses an entry in one byte.
    static constexpr std::size_t kMaxListEntries = 256;

    CommandUDPSocket();
    ~CommandUDPSocket() override;

    // Always returns NO, as the camera protocol's callers expect; the outcome is logged.
    bool ConnectUDPHost(const std::string &host, std::uint16_t port);
    void sendData(const std::uint8_t *unused, std::uint8_t tag);
    bool control_set_resolution(std::uint8_t index);

    void analysis_recvive_command(const std::uint8_t *bytes, std::uint64_t length);
    std::uint8_t func_get_resolution(const std::uint8_t *bytes, std::uint64_t length);
    std::int32_t func_return_set_resolution(const std::uint8_t *bytes, std::uint64_t length);

    AsyncUdpSocket *m_Command_Socket() const;
    const std::vector<STRUCT_RESOLUTION> &m_resolution_list() const;
    CommandUDPSocketDelegate *delegate() const;
    void setDelegate(CommandUDPSocketDelegate *delegate);

    // AsyncUdpSocketDelegate, on the main event queue
    void udpSocketDidConnectToAddress(AsyncUdpSocket *sock, const SocketAddress &address) override;
    void udpSocketDidSendDataWithTag(AsyncUdpSocket *sock, long tag) override;
    void udpSocketDidNotSendDataWithTag(AsyncUdpSocket *sock, long tag, const TransportError &error) override;
    void udpSocketDidReceiveData(AsyncUdpSocket *sock, const std::vector<std::uint8_t> &data,
                                 const SocketAddress &address, const void *filterContext) override;
    void udpSocketDidClose(AsyncUdpSocket *sock, const std::optional<TransportError> &error) override;

  private:
    // Takes the oldest open list request for a reply; false when none is waiting (the reply is dropped).
    bool takeOpenListRequest();
    // Under listRequestsMutex_.
    void dropExpiredListRequests(std::chrono::steady_clock::time_point now);

    // --- set at construction
    std::shared_ptr<AsyncUdpSocket> m_Command_Socket_;
    // --- touched only on the main event queue (socket callbacks, reply parsing, control_set_resolution)
    std::vector<STRUCT_RESOLUTION> m_resolution_list_;
    deskcam::ThrottledLog unrequested_;
    // --- any thread, under listRequestsMutex_: when each list request still waiting for its reply was
    // sent, oldest first (requests go out from any thread, replies are taken on the main queue)
    std::mutex listRequestsMutex_;
    std::deque<std::chrono::steady_clock::time_point> listRequestsOpen_;
    // --- any thread: set by the owner, read when replies arrive
    std::atomic<CommandUDPSocketDelegate *> delegate_{nullptr};
};
