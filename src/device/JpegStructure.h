#pragma once

// Reads a JPEG's marker structure without decoding it: enough to refuse a picture before a decoder spends
// its time on it. A progressive picture with a million empty scans is a megabyte of bytes but makes
// libjpeg walk every block of the picture once per scan: minutes of one core for one picture.

#include <cstddef>
#include <cstdint>

namespace JpegStructure {

// The number of scans (start-of-scan markers) in the bytes, counting at most up to limit + 1 so that a
// huge count costs no more than the first limit + 1 scans. Stops at the end-of-image marker or where the
// bytes end or stop making sense (the decoder judges those).
std::size_t countScans(const std::uint8_t *data, std::size_t size, std::size_t limit);

}  // namespace JpegStructure
