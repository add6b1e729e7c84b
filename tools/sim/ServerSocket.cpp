#include "ServerSocket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

int bindServerSocket(const std::string &host, std::uint16_t port, int type, std::string &error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = type;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV | AI_PASSIVE;
    addrinfo *found = nullptr;
    const std::string service = std::to_string(port);
    if (const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0) {
        error = "bad --host " + host + ": " + gai_strerror(rc);
        return -1;
    }
    const bool stream = type == SOCK_STREAM;
    const int fd = socket(found->ai_family, type | SOCK_CLOEXEC, 0);
    if (fd >= 0 && stream) {
        const int yes = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    }
    const bool ok =
        fd >= 0 && bind(fd, found->ai_addr, found->ai_addrlen) == 0 && (!stream || listen(fd, 8) == 0);
    if (!ok)
        error = std::string(stream ? "cannot listen on " : "cannot bind UDP ") + host + ":" + service + ": " +
                std::strerror(errno);
    freeaddrinfo(found);
    if (!ok && fd >= 0) close(fd);
    return ok ? fd : -1;
}

std::uint16_t localPort(int fd) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6 &>(address).sin6_port);
    return ntohs(reinterpret_cast<sockaddr_in &>(address).sin_port);
}

std::uint16_t unusedLoopbackPort(int type) {
    const int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    const std::uint16_t port = localPort(fd);
    close(fd);
    return port;
}
