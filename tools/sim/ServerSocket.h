#pragma once

// The simulator's listening sockets: bound to a numeric host and a port (0 = any free port).

#include <cstdint>
#include <string>

// Binds a socket of type SOCK_STREAM (then listening) or SOCK_DGRAM; returns the descriptor, or -1 with
// error set to a message for the user.
int bindServerSocket(const std::string &host, std::uint16_t port, int type, std::string &error);

// The port a bound socket really got.
std::uint16_t localPort(int fd);

// A port of 127.0.0.1 that nobody listens on (SOCK_STREAM) or answers on (SOCK_DGRAM): a camera that is
// switched off, for tests and benchmarks.
std::uint16_t unusedLoopbackPort(int type);
