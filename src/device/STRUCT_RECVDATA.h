#pragma once

#include <cstdint>
#include <memory>

// One entry of the receiver's frame queue: n picture bytes after the transformation, followed by one zero
// byte. Copies of the queue share the buffer; it is released with the last entry that holds it.
struct STRUCT_RECVDATA {
    std::shared_ptr<std::uint8_t[]> buf;
    std::uint64_t len = 0;
};
