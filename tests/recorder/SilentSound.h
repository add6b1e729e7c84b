#pragma once

// Sound buffers as the microphone delivers them (32-bit float, interleaved), for the recorder's tests.

#include "recorder/AudioSampleBuffer.h"

#include <cstdint>

inline AudioSampleBuffer floatSound(std::int64_t micros, double sampleRate = 44100,
                                    std::uint32_t channels = 2, std::size_t frames = 441) {
    AudioSampleBuffer buffer;
    buffer.format.mSampleRate = sampleRate;
    buffer.format.mFormatID = kAudioFormatLinearPCM;
    buffer.format.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
    buffer.format.mBytesPerFrame = buffer.format.mBytesPerPacket = 4 * channels;
    buffer.format.mFramesPerPacket = 1;
    buffer.format.mChannelsPerFrame = channels;
    buffer.format.mBitsPerChannel = 32;
    buffer.presentationTime = CMTimeMake(micros, 1'000'000);
    buffer.data.assign(frames * buffer.format.mBytesPerFrame, 0);
    return buffer;
}
