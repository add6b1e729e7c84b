#include "device/JpegStructure.h"

#include <cstring>

namespace JpegStructure {
namespace {

constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kEndOfImage = 0xD9;

// Markers without a length field: start of image, restarts, TEM.
bool standsAlone(std::uint8_t marker) {
    return marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01;
}

// The position of the next marker after entropy-coded data starting at at: a 0xFF that is neither a
// stuffed zero nor a restart marker inside the scan.
std::size_t endOfEntropyData(const std::uint8_t *data, std::size_t size, std::size_t at) {
    while (at + 1 < size) {
        const void *found = std::memchr(data + at, 0xFF, size - at - 1);
        if (found == nullptr) return size;
        at = static_cast<std::size_t>(static_cast<const std::uint8_t *>(found) - data);
        const std::uint8_t next = data[at + 1];
        if (next != 0x00 && next != 0xFF && !(next >= 0xD0 && next <= 0xD7)) return at;
        at += next == 0xFF ? 1 : 2;  // 0xFF 0xFF is fill before a marker
    }
    return size;
}

}  // namespace

std::size_t countScans(const std::uint8_t *data, std::size_t size, std::size_t limit) {
    std::size_t scans = 0;
    std::size_t at = 0;
    while (at + 1 < size && scans <= limit) {
        if (data[at] != 0xFF) return scans;
        const std::uint8_t marker = data[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == kEndOfImage) return scans;
        at += 2;
        if (standsAlone(marker)) continue;
        if (at + 2 > size) return scans;
        const std::size_t length = std::size_t(data[at]) << 8 | data[at + 1];
        if (length < 2) return scans;
        at += length;
        if (marker == kStartOfScan) {
            ++scans;
            at = endOfEntropyData(data, size, at);
        }
    }
    return scans;
}

}  // namespace JpegStructure
