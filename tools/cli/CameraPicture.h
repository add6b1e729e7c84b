#pragma once

// The camera's next picture for the sub-commands that take pictures (capture, scan, timelapse): the
// first one that arrives after the one taken before and decodes before a deadline.

#include "device/ImageRecvTCPSocket.h"

#include <QImage>

#include <chrono>

namespace CameraPicture {

// A null picture when none arrives and decodes before deadline. previous (empty at first) becomes the
// bytes of the picture returned, so the next call waits for a newer frame.
QImage next(ImageRecvTCPSocket &receiver, ImageBytes &previous,
            std::chrono::steady_clock::time_point deadline);

}  // namespace CameraPicture
