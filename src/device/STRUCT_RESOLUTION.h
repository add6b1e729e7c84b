#pragma once

#include <array>
#include <cstdint>

// One camera resolution. raw holds bytes 0 to 3 of the wire record as received (width, then height, each
// 16-bit little-endian) followed by six zero bytes.
struct STRUCT_RESOLUTION {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    std::array<std::uint8_t, 10> raw{};
};
