#pragma once

// One datagram waiting in a datagram socket's send queue.

#include <cstdint>
#include <vector>

struct AsyncUdpSendPacket {
    std::vector<std::uint8_t> buffer;
    // Seconds; negative means no timeout.
    double timeout = -1;
    long tag = 0;
};
