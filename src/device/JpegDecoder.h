#pragma once

// Decodes the camera's JPEG pictures for the live view straight into 32-bit pixels.
//
// Qt's JPEG reader has libjpeg-turbo write 24-bit rows and then widens every row to 32 bits, which costs
// about a third of its decoding time on a 1920x1080 picture. Here libjpeg-turbo writes the 32-bit layout
// of QImage::Format_RGB32 itself, into a reused picture. Anything this path does not take (grey or CMYK
// pictures, pictures with text, EXIF or a colour profile, libjpeg errors) goes to Qt's JPEG reader, so
// what decodes and what does not stays Qt's decision. Bytes in any other format are no picture.
//
// Camera bytes are not trusted: a picture with more scans than any real encoder writes is refused before
// decoding, and a decode that runs past its budget is abandoned (one log line a second at most), so a
// hostile or broken camera cannot hold the thread that decodes.

#include <QImage>

#include <chrono>
#include <cstddef>
#include <cstdint>

class JpegDecoder {
  public:
    // Real encoders write at most a dozen scans; libjpeg's own progressive script writes ten.
    static constexpr std::size_t kMaxScans = 100;
    // Far above the slowest real picture (a 4K photo decodes in about 50 ms on one core here).
    static constexpr std::chrono::milliseconds kDecodeBudget{1000};
    // Fast: libjpeg's fast integer transform and plain chroma upsampling, as Qt's reader does below quality
    // 50; about a fifth less decoding for a picture whose chroma is subsampled again (the recorder's track).
    enum class Mode { Exact, Fast };
    // libjpeg-turbo's DCT scaling: 1 is the full size; 2, 4 and 8 decode a half, a quarter or an eighth of
    // each side (rounded up) for little more than the entropy decoding.
    static constexpr int kScales[] = {1, 2, 4, 8};

    // Fills picture with the decoded bytes (Format_RGB32, or what Qt's reader gives for the pictures it
    // takes over), each side divided by scale (one of kScales). Reuses picture's pixels when nothing else
    // shares them and the size matches. Returns false when the bytes are no picture; picture is then
    // unspecified. fullSize, when given, gets the picture's own size (before scaling).
    static bool decodeInto(const std::uint8_t *data, std::size_t size, QImage &picture,
                           Mode mode = Mode::Exact, int scale = 1, QSize *fullSize = nullptr);

    // The largest of kScales whose picture is not smaller than the picture shown at shownScale (screen
    // pixels per picture pixel, the device pixel ratio counted): 1 unless shown at half its size or less.
    static int scaleFor(double shownScale);
    // The size the bytes' frame header declares; empty when there is none to read.
    static QSize declaredSize(const std::uint8_t *data, std::size_t size);
    // A side of the picture decoded at scale.
    static int scaledSide(int side, int scale) { return (side + scale - 1) / scale; }

    // Only the fast path: false where decodeInto hands over to Qt's reader, or past budget. For tests.
    static bool decodeDirect(const std::uint8_t *data, std::size_t size, QImage &picture,
                             Mode mode = Mode::Exact, std::chrono::milliseconds budget = kDecodeBudget,
                             int scale = 1);

    // Only Qt's JPEG reader.
    static bool decodeWithQt(const std::uint8_t *data, std::size_t size, QImage &picture,
                             Mode mode = Mode::Exact, int scale = 1, QSize *fullSize = nullptr);
};
