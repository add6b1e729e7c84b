#pragma once

// One buffer of microphone sound as the capture side delivers it: interleaved linear PCM in the format its
// description gives, stamped with the capture-clock time of its first sample.

#include "recorder/CMTime.h"
#include "recorder/StreamBasicDescription.h"

#include <cstdint>
#include <vector>

struct AudioSampleBuffer {
    AudioStreamBasicDescription format;
    CMTime presentationTime;
    bool dataReady = true;
    std::vector<std::uint8_t> data;

    std::uint32_t frameCount() const {
        return format.mBytesPerFrame == 0 ? 0
                                          : static_cast<std::uint32_t>(data.size() / format.mBytesPerFrame);
    }
};
