#pragma once

// One frame unit as the framing delivers it: the 32-byte header, the picture and the end marker. Decoding
// is a pure function over those bytes; the receiver acts on the result.
//
// Header: bytes 4 to 7 hold the picture length n, little-endian; byte 7 must be 0, so n <= 0xFFFFFF. The
// picture follows the header; the camera has complemented its byte n / 2.

#include <cstdint>
#include <span>

struct FrameUnit {
    enum class Status {
        TooShort,   // fewer bytes than a header: ignored
        BadLength,  // length byte 7 not zero: rejected with the stdout error line
        Truncated,  // declares more picture bytes than were delivered: dropped
        Picture,
    };

    Status status = Status::TooShort;
    std::uint64_t length = 0;               // n as declared (also for Truncated)
    std::span<const std::uint8_t> picture;  // the n picture bytes inside the unit, not yet restored

    static FrameUnit decode(std::span<const std::uint8_t> unit);
    // Undoes the camera's transformation in place: complements byte size / 2.
    static void restore(std::span<std::uint8_t> picture);
};
