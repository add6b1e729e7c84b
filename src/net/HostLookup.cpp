#include "net/HostLookup.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <cstring>
#include <memory>

namespace {

HostLookup loopback(std::uint16_t port) {
    sockaddr_in v4{};
    v4.sin_family = AF_INET;
    v4.sin_port = htons(port);
    v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sockaddr_in6 v6{};
    v6.sin6_family = AF_INET6;
    v6.sin6_port = htons(port);
    v6.sin6_addr = in6addr_loopback;
    return {v4, v6, std::nullopt};
}

}  // namespace

HostLookup HostLookup::resolve(const std::string &host, std::uint16_t port) {
    if (host == "localhost" || host == "loopback") return loopback(port);

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo *found = nullptr;
    const std::string service = std::to_string(port);
    if (const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0) {
        return {std::nullopt, std::nullopt, TransportError::resolver(rc)};
    }
    const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> results(found, &freeaddrinfo);

    HostLookup lookup;
    for (const addrinfo *entry = found; entry; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && !lookup.ipv4) {
            sockaddr_in v4{};
            std::memcpy(&v4, entry->ai_addr, sizeof v4);
            lookup.ipv4 = v4;
        } else if (entry->ai_family == AF_INET6 && !lookup.ipv6) {
            sockaddr_in6 v6{};
            std::memcpy(&v6, entry->ai_addr, sizeof v6);
            if (v6.sin6_port == 0) v6.sin6_port = htons(port);
            lookup.ipv6 = v6;
        }
    }
    if (!lookup.ipv4 && !lookup.ipv6) lookup.error = TransportError::resolver(EAI_FAIL);
    return lookup;
}
