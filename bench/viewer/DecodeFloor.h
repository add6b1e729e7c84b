#pragma once

// What showing a camera picture costs at the least, measured beside the viewer in the same run: decoding
// it (with Qt's reader, or with libjpeg-turbo straight into 32-bit pixels at the viewer's DCT scale) and
// drawing it once on a window-sized picture as the view does (smooth, scaled to the size shown).

#include <QSize>

#include <cstdint>
#include <functional>
#include <vector>

using Jpegs = std::vector<std::vector<std::uint8_t>>;
// One way of decoding a picture: true when it decoded.
using Decode = std::function<bool(const std::vector<std::uint8_t> &)>;

bool decodesWithQt(const std::vector<std::uint8_t> &jpeg);
// libjpeg-turbo alone, into a reused 32-bit picture at the DCT scale.
Decode libjpegTurboAt(int scale);

// The decoder's best case: one picture after the other, its code and tables always warm. Process time, as
// for the viewer. Milliseconds per picture, or -1 if one does not decode.
double decodeBackToBackMs(const Jpegs &jpegs, int count, const Decode &decode = decodesWithQt);
// Decoding as the viewer meets it: one picture per frame interval, the thread idle in between, so caches
// cool as they do in the viewer. Only this thread's time.
double decodePacedMs(const Jpegs &jpegs, int count, double fps, const Decode &decode = decodesWithQt);

// Where and how large the view shows the picture: its area in device pixels and the screen pixels per
// camera pixel.
struct ShownPicture {
    QSize area;
    double scale = 1;
};
// Drawing alone, paced like decodePacedMs: each picture decoded at the DCT scale beforehand, then drawn
// once on an area-sized picture. Milliseconds of this thread per drawing, or -1 if one does not decode.
double drawPacedMs(const Jpegs &jpegs, int count, double fps, int dctScale, const ShownPicture &shown);

double processCpuSeconds();
double threadCpuSeconds();
