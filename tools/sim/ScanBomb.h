#pragma once

// A hostile camera's picture: a progressive JPEG followed by many empty scans before its end marker. Each
// scan makes a decoder walk every block of the picture again, so a megabyte of them costs minutes of one
// core. For the simulator's scan-bomb fault and the decoder's tests.

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ScanBomb {

// picture encoded as a progressive JPEG (libjpeg's script: ten scans).
std::vector<std::uint8_t> progressiveJpeg(const QImage &picture, int quality = 85);

// Inserts count empty scans for three colour components before the end-of-image marker of jpeg.
void appendEmptyScans(std::vector<std::uint8_t> &jpeg, std::size_t count);

// The simulator's fault: picture (camera JPEG bytes) re-encoded progressive, with count empty scans.
std::vector<std::uint8_t> fromPicture(const std::vector<std::uint8_t> &jpeg, std::size_t count);

}  // namespace ScanBomb
