#pragma once

#include <cstdint>

class ToolKit {
  public:
    // The first count bytes of bytes read as one unsigned big-endian number. Counts above 8 overflow the
    // result and are not used; a count of 0 or less gives 0.
    static std::uint64_t HextoDec(const std::uint8_t *bytes, std::int32_t count);
};
