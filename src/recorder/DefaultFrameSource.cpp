#include "recorder/RVImagesToVideo.h"

// Until the receiver is linked in, recordings need a frame source set by their owner.
RVImagesToVideo::FrameSource RVImagesToVideo::defaultFrameSource() {
    return {};
}
