#pragma once

// One IPv4 or IPv6 socket address, held by value. The sockets hand addresses to their delegates in this form
// (the peer after a connect, the sender of a datagram); bytes() gives the raw sockaddr the operating system
// uses.

#include <sys/socket.h>

#include <cstdint>
#include <span>
#include <string>

class SocketAddress {
  public:
    SocketAddress() = default;
    // Copies a sockaddr of length bytes; anything but AF_INET or AF_INET6 gives an empty address.
    SocketAddress(const sockaddr *address, socklen_t length);

    // From a numeric host ("127.0.0.1", "::1") and a port; text that does not parse gives an empty address.
    static SocketAddress ipv4(const std::string &numericHost, std::uint16_t port);
    static SocketAddress ipv6(const std::string &numericHost, std::uint16_t port);

    bool empty() const { return length_ == 0; }
    // AF_INET, AF_INET6, or AF_UNSPEC when empty.
    int family() const;
    std::uint16_t port() const;
    void setPort(std::uint16_t port);
    // Numeric text of the host part, without the port ("127.0.0.1", "::1").
    std::string host() const;
    // "127.0.0.1:5000" or "[::1]:5000", for log lines.
    std::string text() const;

    const sockaddr *sockaddrPointer() const { return reinterpret_cast<const sockaddr *>(&storage_); }
    socklen_t length() const { return length_; }
    std::span<const std::uint8_t> bytes() const;

    // Same family, host and port (IPv6 flow information and scope are not compared).
    bool operator==(const SocketAddress &other) const;

  private:
    sockaddr_storage storage_{};
    socklen_t length_ = 0;
};
