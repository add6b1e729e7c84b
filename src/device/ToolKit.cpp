#include "device/ToolKit.h"

std::uint64_t ToolKit::HextoDec(const std::uint8_t *bytes, std::int32_t count) {
    std::uint64_t value = 0;
    for (std::int32_t i = 0; i < count; ++i) value = (value << 8) | bytes[i];
    return value;
}
