#pragma once

// One frame unit as the camera writes it on the image stream: "BoundaryS", a 32-byte header, the picture
// with its middle byte complemented, "BoundaryE".
//
// Header: bytes 0-3 frame number, 4-7 picture length (both little-endian), the rest zero. The receiver reads
// only the length.

#include <cstdint>
#include <span>
#include <vector>

struct WireFrameInfo {
    std::uint32_t frameNumber = 0;
    // Sets the length's most significant byte, which a receiver must reject.
    bool badLength = false;
};

std::vector<std::uint8_t> wireFrame(std::span<const std::uint8_t> jpeg, const WireFrameInfo &info);
