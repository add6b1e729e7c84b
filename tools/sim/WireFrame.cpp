#include "WireFrame.h"

#include <cstring>

namespace {

constexpr char kStartMarker[] = "BoundaryS";
constexpr char kEndMarker[] = "BoundaryE";
constexpr std::size_t kMarkerLength = 9;
constexpr std::size_t kHeaderLength = 32;

void putLittleEndian(std::uint8_t *at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

std::vector<std::uint8_t> wireFrame(std::span<const std::uint8_t> jpeg, const WireFrameInfo &info) {
    std::vector<std::uint8_t> unit(kMarkerLength + kHeaderLength + jpeg.size() + kMarkerLength, 0);
    std::uint8_t *out = unit.data();
    std::memcpy(out, kStartMarker, kMarkerLength);
    std::uint8_t *header = out + kMarkerLength;
    putLittleEndian(header, info.frameNumber);
    putLittleEndian(header + 4, static_cast<std::uint32_t>(jpeg.size()));
    if (info.badLength) header[7] = 0x01;
    std::uint8_t *picture = header + kHeaderLength;
    if (!jpeg.empty()) {
        std::memcpy(picture, jpeg.data(), jpeg.size());
        picture[jpeg.size() / 2] = static_cast<std::uint8_t>(~picture[jpeg.size() / 2]);
    }
    std::memcpy(picture + jpeg.size(), kEndMarker, kMarkerLength);
    return unit;
}
