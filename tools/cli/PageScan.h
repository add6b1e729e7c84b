#pragma once

// What the straighten, ocr and scan sub-commands share: reading a picture file within bounds, turning a
// camera picture into the upright page (the whole picture, with a note, when no page is found).

#include "device/ImageRecvTCPSocket.h"

#include <QImage>

#include <chrono>
#include <string>

namespace PageScan {

// Far above the camera's 3840x2160 and a phone's photo, below what would exhaust memory in decoding.
inline constexpr long long kMaxPicturePixels = 100'000'000;

// The picture in file; false with error set when it is missing, not a picture, corrupt or too large.
bool loadPicture(const std::string &file, QImage &picture, std::string &error);

// The page of picture upright; note says so when no page was found and the whole picture is used.
QImage uprightPage(const QImage &picture, std::string &note);

}  // namespace PageScan
