// Fuzz target: one frame unit of the image stream (header, picture, end marker) as the framing delivers it,
// through the pure decoder and the receiver's frame handling. Checks what the viewer relies on: nothing is
// read outside the unit, the picture is exactly the declared bytes with the middle one restored, and the
// frame queue never holds more than 3 entries.

#include "device/FrameUnit.h"
#include "device/ImageRecvTCPSocket.h"
#include "dispatch/MainQueue.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    dispatch::useSerialMainQueue();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::vector<std::uint8_t> unit(data, data + size);
    const FrameUnit frame = FrameUnit::decode(unit);
    if (frame.status == FrameUnit::Status::Picture) {
        check(frame.length <= 0xFFFFFF && frame.picture.size() == frame.length);
        check(frame.picture.data() >= unit.data() &&
              frame.picture.data() + frame.picture.size() <= unit.data() + unit.size());
    }

    ImageRecvTCPSocket &receiver = ImageRecvTCPSocket::sharedInstance();
    const ImageBytes before = receiver.getFirstImageData();
    const bool handled = receiver.processPackBody(unit);
    check(handled == (frame.status != FrameUnit::Status::TooShort));
    const ImageBytes latest = receiver.getFirstImageData();
    if (frame.status == FrameUnit::Status::Picture) {
        std::vector<std::uint8_t> restored(frame.picture.begin(), frame.picture.end());
        FrameUnit::restore(restored);
        check(*latest == restored);
    } else {
        check(latest == before);  // a rejected unit leaves the latest frame alone
    }
    check(receiver.list_image_data().size() <= 3);
    return 0;
}
