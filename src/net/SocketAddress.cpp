#include "net/SocketAddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstring>

namespace {

const sockaddr_in &asIPv4(const sockaddr_storage &storage) {
    return reinterpret_cast<const sockaddr_in &>(storage);
}

const sockaddr_in6 &asIPv6(const sockaddr_storage &storage) {
    return reinterpret_cast<const sockaddr_in6 &>(storage);
}

}  // namespace

SocketAddress::SocketAddress(const sockaddr *address, socklen_t length) {
    if (address == nullptr) return;
    const bool isIPv4 = address->sa_family == AF_INET && length >= sizeof(sockaddr_in);
    const bool isIPv6 = address->sa_family == AF_INET6 && length >= sizeof(sockaddr_in6);
    if (!isIPv4 && !isIPv6) return;
    length_ = isIPv4 ? sizeof(sockaddr_in) : sizeof(sockaddr_in6);
    std::memcpy(&storage_, address, length_);
}

SocketAddress SocketAddress::ipv4(const std::string &numericHost, std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (inet_pton(AF_INET, numericHost.c_str(), &address.sin_addr) != 1) return {};
    return {reinterpret_cast<const sockaddr *>(&address), sizeof address};
}

SocketAddress SocketAddress::ipv6(const std::string &numericHost, std::uint16_t port) {
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_port = htons(port);
    if (inet_pton(AF_INET6, numericHost.c_str(), &address.sin6_addr) != 1) return {};
    return {reinterpret_cast<const sockaddr *>(&address), sizeof address};
}

int SocketAddress::family() const {
    return empty() ? AF_UNSPEC : storage_.ss_family;
}

std::uint16_t SocketAddress::port() const {
    switch (family()) {
        case AF_INET:
            return ntohs(asIPv4(storage_).sin_port);
        case AF_INET6:
            return ntohs(asIPv6(storage_).sin6_port);
        default:
            return 0;
    }
}

void SocketAddress::setPort(std::uint16_t port) {
    if (family() == AF_INET) reinterpret_cast<sockaddr_in &>(storage_).sin_port = htons(port);
    if (family() == AF_INET6) reinterpret_cast<sockaddr_in6 &>(storage_).sin6_port = htons(port);
}

std::string SocketAddress::host() const {
    char text[INET6_ADDRSTRLEN] = {};
    if (family() == AF_INET) inet_ntop(AF_INET, &asIPv4(storage_).sin_addr, text, sizeof text);
    if (family() == AF_INET6) inet_ntop(AF_INET6, &asIPv6(storage_).sin6_addr, text, sizeof text);
    return text;
}

std::string SocketAddress::text() const {
    if (empty()) return "(none)";
    // Appended piece by piece: g++ 12 misreads a C string + a temporary std::string in a Release build as an
    // overlapping copy (-Wrestrict).
    const bool bracketed = family() == AF_INET6;
    std::string text = bracketed ? "[" : "";
    text += host();
    text += bracketed ? "]:" : ":";
    text += std::to_string(port());
    return text;
}

std::span<const std::uint8_t> SocketAddress::bytes() const {
    return {reinterpret_cast<const std::uint8_t *>(&storage_), length_};
}

bool SocketAddress::operator==(const SocketAddress &other) const {
    if (family() != other.family() || port() != other.port()) return false;
    switch (family()) {
        case AF_INET:
            return asIPv4(storage_).sin_addr.s_addr == asIPv4(other.storage_).sin_addr.s_addr;
        case AF_INET6:
            return std::memcmp(&asIPv6(storage_).sin6_addr, &asIPv6(other.storage_).sin6_addr,
                               sizeof(in6_addr)) == 0;
        default:
            return true;
    }
}
