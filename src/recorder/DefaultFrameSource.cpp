#include "recorder/RVImagesToVideo.h"

#include "device/ImageRecvTCPSocket.h"

// Kept apart so that the recorder's own code does not depend on the receiver's sockets.
RVImagesToVideo::FrameSource RVImagesToVideo::defaultFrameSource() {
    return [] { return ImageRecvTCPSocket::sharedInstance().getFirstImageData(); };
}
