#pragma once

// The library window's own pictures, drawn by the program on first use instead of shipped as files:
//   "mp4icon.png"    the film icon shown for a recording (120 x 90, the height of a capture's thumbnail)
//   "BackgroundDust" a light, finely speckled tile for the grid's background
// Both are drawn from fixed numbers, so every run shows the same pixels.
//
// Thread use: any thread (each picture is made once, under the function-local static's guard).

#include <QImage>
#include <QString>

namespace LibraryImages {

inline constexpr const char *kMp4Icon = "mp4icon.png";
inline constexpr const char *kBackgroundDust = "BackgroundDust";

// The picture of that name, or a null image for a name the library does not have.
QImage imageNamed(const QString &name);

}  // namespace LibraryImages
