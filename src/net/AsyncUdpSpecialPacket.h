#pragma once

// The connect step of a datagram socket. It waits in the send queue like a datagram, so that sends requested
// after connectToHost() go out only once the connect has been tried; meanwhile the host is resolved on the
// shared work queue.

#include "net/SocketAddress.h"
#include "net/TransportError.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct AsyncUdpSpecialPacket {
    bool resolveInProgress = true;
    std::vector<SocketAddress> addresses;
    std::optional<TransportError> error;

    // Blocking: "localhost" and "loopback" are answered without the resolver; otherwise getaddrinfo for
    // datagram sockets. Either addresses (IPv4 and IPv6 only, in the resolver's order) or error is set.
    static AsyncUdpSpecialPacket resolve(const std::string &host, std::uint16_t port);
};
