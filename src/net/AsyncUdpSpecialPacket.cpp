#include "net/AsyncUdpSpecialPacket.h"

#include <netdb.h>
#include <netinet/in.h>

#include <memory>

namespace {

struct AddrInfoDeleter {
    void operator()(addrinfo *list) const { freeaddrinfo(list); }
};

}  // namespace

AsyncUdpSpecialPacket AsyncUdpSpecialPacket::resolve(const std::string &host, std::uint16_t port) {
    AsyncUdpSpecialPacket result;
    result.resolveInProgress = false;
    if (host == "localhost" || host == "loopback") {
        result.addresses = {SocketAddress::ipv4("127.0.0.1", port), SocketAddress::ipv6("::1", port)};
        return result;
    }

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_protocol = IPPROTO_UDP;
    addrinfo *found = nullptr;
    const int status = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (status != 0) {
        result.error = TransportError::resolver(status);
        return result;
    }
    const std::unique_ptr<addrinfo, AddrInfoDeleter> list(found);
    for (const addrinfo *entry = list.get(); entry != nullptr; entry = entry->ai_next) {
        SocketAddress address(entry->ai_addr, entry->ai_addrlen);
        if (address.empty()) continue;
        if (address.family() == AF_INET6 && address.port() == 0) address.setPort(port);
        result.addresses.push_back(address);
    }
    if (result.addresses.empty()) result.error = TransportError::resolver(EAI_FAIL);
    return result;
}
