#pragma once

// The audio format record the recorder logs at the start of every recording (the microphone's own format
// and the canonical float format derived from it), and the one-line text it is printed as.

#include <cstddef>
#include <cstdint>

// Linear PCM and its format flags.
constexpr std::uint32_t kAudioFormatLinearPCM = 0x6C70636D;      // 'lpcm'
constexpr std::uint32_t kAudioFormatAppleLossless = 0x616C6163;  // 'alac'
constexpr std::uint32_t kAudioFormatMPEG4AAC = 0x61616320;       // 'aac '
constexpr std::uint32_t kAudioFormatFlagIsFloat = 1u << 0;
constexpr std::uint32_t kAudioFormatFlagIsBigEndian = 1u << 1;
constexpr std::uint32_t kAudioFormatFlagIsSignedInteger = 1u << 2;
constexpr std::uint32_t kAudioFormatFlagIsPacked = 1u << 3;
constexpr std::uint32_t kAudioFormatFlagIsAlignedHigh = 1u << 4;
constexpr std::uint32_t kAudioFormatFlagIsNonInterleaved = 1u << 5;

// 40 bytes, field order as the platform publishes it.
struct AudioStreamBasicDescription {
    double mSampleRate = 0;
    std::uint32_t mFormatID = 0;
    std::uint32_t mFormatFlags = 0;
    std::uint32_t mBytesPerPacket = 0;
    std::uint32_t mFramesPerPacket = 0;
    std::uint32_t mBytesPerFrame = 0;
    std::uint32_t mChannelsPerFrame = 0;
    std::uint32_t mBitsPerChannel = 0;
    std::uint32_t mReserved = 0;
};
static_assert(sizeof(AudioStreamBasicDescription) == 40);

// The text form of a four-character code: 'lpcm' when all four bytes are printable and none is a
// backslash, else 0xHHHHHHHH. out must hold at least 11 bytes.
char *StringForOSType(std::uint32_t code, char *out);

class StreamBasicDescription {
  public:
    StreamBasicDescription() = default;
    explicit StreamBasicDescription(const AudioStreamBasicDescription &desc) : desc_(desc) {}

    const AudioStreamBasicDescription &description() const { return desc_; }

    // Writes "AudioStreamBasicDescription: <AsString>" and a line feed to standard output.
    void Print() const;
    // Fills buffer with the one-line description, cut at size and always zero-terminated (size > 0).
    char *AsString(char *buffer, std::size_t size) const;
    // Bytes of one sample of one channel; 0 when unknown.
    std::int32_t SampleWordSize() const;

  private:
    bool isNonInterleavedPCM() const;
    void appendAppleLosslessTail(char *buffer, std::size_t size) const;
    void appendLinearPCMTail(char *buffer, std::size_t size) const;
    void appendGenericTail(char *buffer, std::size_t size) const;

    AudioStreamBasicDescription desc_;
};
