#pragma once

// Resolves a host name for a TCP connect: the first IPv4 and the first IPv6 address, in the resolver's
// order, both with the requested port. Blocking; the socket runs it on the shared work queue.

#include "net/TransportError.h"

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string>

struct HostLookup {
    std::optional<sockaddr_in> ipv4;
    std::optional<sockaddr_in6> ipv6;
    std::optional<TransportError> error;  // set when the resolver failed or found neither family

    // "localhost" and "loopback" are answered without the resolver: 127.0.0.1 and ::1.
    static HostLookup resolve(const std::string &host, std::uint16_t port);
};
