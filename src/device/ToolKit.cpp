#include "device/ToolKit.h"

std::uint64_t ToolKit::HextoDec(const std::uint8_t *bytes, std::int32_t count) {
    std::uint64_t value = 0;
    for (std::int32_t i = 0; i < count; ++i) value = (value << 8) | bytes[i];
    return value;
}

std::string ToolKit::resolutionTitle(std::uint64_t width, std::uint64_t height) {
    return std::to_string(width) + '*' + std::to_string(height);
}
