#include "device/FrameUnit.h"

#include "device/ToolKit.h"

#include <cstring>

namespace {

constexpr std::size_t kHeaderLength = 32;
// A unit may begin with the start marker and a zero byte; its header then follows the marker.
constexpr std::uint8_t kMarkedStart[10] = {'B', 'o', 'u', 'n', 'd', 'a', 'r', 'y', 'S', 0};
constexpr std::size_t kMarkerLength = 9;

}  // namespace

FrameUnit FrameUnit::decode(std::span<const std::uint8_t> unit) {
    if (unit.size() < kHeaderLength) return {};
    const bool marked = unit.size() >= sizeof kMarkedStart &&
                        std::memcmp(unit.data(), kMarkedStart, sizeof kMarkedStart) == 0;
    const std::size_t headerStart = marked ? kMarkerLength : 0;
    if (unit.size() < headerStart + kHeaderLength) return {};  // never read past the delivered bytes

    const std::uint8_t *header = unit.data() + headerStart;
    const std::uint8_t bigEndian[4] = {header[7], header[6], header[5], header[4]};
    FrameUnit frame;
    frame.length = ToolKit::HextoDec(bigEndian, 4);
    if (header[7] != 0) {
        frame.status = Status::BadLength;
        return frame;
    }
    const std::size_t delivered = unit.size() - headerStart - kHeaderLength;
    if (frame.length > delivered) {
        frame.status = Status::Truncated;
        return frame;
    }
    frame.status = Status::Picture;
    frame.picture = unit.subspan(headerStart + kHeaderLength, static_cast<std::size_t>(frame.length));
    return frame;
}

void FrameUnit::restore(std::span<std::uint8_t> picture) {
    if (picture.empty()) return;
    std::uint8_t &middle = picture[picture.size() / 2];
    middle = static_cast<std::uint8_t>(~middle);
}
