#include "recorder/StreamBasicDescription.h"

#include <gtest/gtest.h>

#include <string>

namespace {

AudioStreamBasicDescription canonicalStereo() {
    AudioStreamBasicDescription desc;
    desc.mSampleRate = 44100;
    desc.mFormatID = kAudioFormatLinearPCM;
    desc.mFormatFlags = 41;
    desc.mBytesPerPacket = 4;
    desc.mFramesPerPacket = 1;
    desc.mBytesPerFrame = 4;
    desc.mChannelsPerFrame = 2;
    desc.mBitsPerChannel = 32;
    return desc;
}

std::string text(const AudioStreamBasicDescription &desc, std::size_t size = 256) {
    char buffer[256];
    return StreamBasicDescription(desc).AsString(buffer, size);
}

std::string osType(std::uint32_t code) {
    char buffer[11];
    return StringForOSType(code, buffer);
}

TEST(StreamBasicDescription, PrintsTheCanonicalStereoFloatFormat) {
    testing::internal::CaptureStdout();
    StreamBasicDescription(canonicalStereo()).Print();
    EXPECT_EQ(
        testing::internal::GetCapturedStdout(),
        "AudioStreamBasicDescription:  2 ch,  44100 Hz, 'lpcm' (0x00000029) 32-bit little-endian float, "
        "deinterleaved\n");
}

TEST(StreamBasicDescription, FourCharacterCodesAreQuotedOnlyWhenPrintable) {
    EXPECT_EQ(osType(kAudioFormatLinearPCM), "'lpcm'");
    EXPECT_EQ(osType(kAudioFormatMPEG4AAC), "'aac '");
    EXPECT_EQ(osType(0), "0x00000000");
    EXPECT_EQ(osType(0x6C5C636D), "0x6C5C636D");  // backslash
    EXPECT_EQ(osType(0x6C70630A), "0x6C70630A");  // line feed
}

TEST(StreamBasicDescription, IntegerPCMTailsNameWordSizeAndAlignment) {
    AudioStreamBasicDescription mono16;
    mono16.mSampleRate = 48000;
    mono16.mFormatID = kAudioFormatLinearPCM;
    mono16.mFormatFlags = 12;
    mono16.mBytesPerPacket = 2;
    mono16.mFramesPerPacket = 1;
    mono16.mBytesPerFrame = 2;
    mono16.mChannelsPerFrame = 1;
    mono16.mBitsPerChannel = 16;
    EXPECT_EQ(text(mono16), " 1 ch,  48000 Hz, 'lpcm' (0x0000000C) 16-bit little-endian signed integer");

    AudioStreamBasicDescription in4Bytes = mono16;
    in4Bytes.mFormatFlags = 4;
    in4Bytes.mBytesPerPacket = 4;
    in4Bytes.mBytesPerFrame = 4;
    in4Bytes.mBitsPerChannel = 24;
    EXPECT_EQ(text(in4Bytes),
              " 1 ch,  48000 Hz, 'lpcm' (0x00000004) "
              "24-bit little-endian signed integer, unpacked in 4 bytes low-aligned");

    in4Bytes.mFormatFlags = 4 | 8 | 16 | 2;
    EXPECT_EQ(text(in4Bytes),
              " 1 ch,  48000 Hz, 'lpcm' (0x0000001E) "
              "24-bit big-endian signed integer, packed in 4 bytes high-aligned");

    AudioStreamBasicDescription fixedPoint = mono16;
    fixedPoint.mFormatFlags = 12 | (8u << 7);  // 8.24 fixed point in a 32-bit word
    fixedPoint.mBytesPerFrame = 4;
    fixedPoint.mBitsPerChannel = 32;
    EXPECT_EQ(text(fixedPoint),
              " 1 ch,  48000 Hz, 'lpcm' (0x0000040C) 24.8-bit little-endian signed integer");

    AudioStreamBasicDescription unsigned8 = mono16;
    unsigned8.mFormatFlags = 8;
    unsigned8.mBytesPerFrame = 1;
    unsigned8.mBitsPerChannel = 8;
    EXPECT_EQ(text(unsigned8), " 1 ch,  48000 Hz, 'lpcm' (0x00000008) 8-bit unsigned integer");
}

TEST(StreamBasicDescription, CompressedFormatsUseTheirOwnTails) {
    AudioStreamBasicDescription aac;
    aac.mSampleRate = 44100;
    aac.mFormatID = kAudioFormatMPEG4AAC;
    aac.mFramesPerPacket = 1024;
    aac.mChannelsPerFrame = 2;
    EXPECT_EQ(text(aac),
              " 2 ch,  44100 Hz, 'aac ' (0x00000000) "
              "0 bits/channel, 0 bytes/packet, 1024 frames/packet, 0 bytes/frame");

    AudioStreamBasicDescription alac = aac;
    alac.mFormatID = kAudioFormatAppleLossless;
    alac.mFormatFlags = 3;
    alac.mFramesPerPacket = 4096;
    EXPECT_EQ(text(alac), " 2 ch,  44100 Hz, 'alac' (0x00000003) from 24-bit source, 4096 frames/packet");
    alac.mFormatFlags = 9;
    EXPECT_EQ(text(alac),
              " 2 ch,  44100 Hz, 'alac' (0x00000009) from UNKNOWN source bit depth, 4096 frames/packet");
}

TEST(StreamBasicDescription, TextIsCutAtTheBufferSize) {
    EXPECT_EQ(text(canonicalStereo(), 12), " 2 ch,  441");
    EXPECT_EQ(text(canonicalStereo(), 1), "");
    // Head fits, tail is cut.
    EXPECT_EQ(text(canonicalStereo(), 45), " 2 ch,  44100 Hz, 'lpcm' (0x00000029) 32-bit");
}

TEST(StreamBasicDescription, SampleWordSizeHandlesEmptyAndNonInterleavedFrames) {
    EXPECT_EQ(StreamBasicDescription().SampleWordSize(), 0);
    EXPECT_EQ(StreamBasicDescription(canonicalStereo()).SampleWordSize(), 4);
    AudioStreamBasicDescription interleaved = canonicalStereo();
    interleaved.mFormatFlags = 9;
    interleaved.mBytesPerFrame = 8;
    EXPECT_EQ(StreamBasicDescription(interleaved).SampleWordSize(), 4);
    interleaved.mChannelsPerFrame = 0;
    EXPECT_EQ(StreamBasicDescription(interleaved).SampleWordSize(), 0);
}

}  // namespace
