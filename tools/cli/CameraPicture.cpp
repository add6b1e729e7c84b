#include "CameraPicture.h"

#include "device/JpegDecoder.h"

#include <thread>

namespace {
constexpr auto kPollInterval = std::chrono::milliseconds(10);
}

QImage CameraPicture::next(ImageRecvTCPSocket &receiver, ImageBytes &previous,
                           std::chrono::steady_clock::time_point deadline) {
    while (std::chrono::steady_clock::now() < deadline) {
        const ImageBytes bytes = receiver.getFirstImageData();
        if (bytes && !bytes->empty() && bytes != previous) {
            previous = bytes;  // decoded or not, the next picture must be a newer one
            QImage picture;
            if (JpegDecoder::decodeInto(bytes->data(), bytes->size(), picture)) return picture;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return {};
}
