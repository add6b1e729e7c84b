#include "recorder/StreamBasicDescription.h"

#include "base/Log.h"

#include <cctype>
#include <cstdio>
#include <cstring>

char *StringForOSType(std::uint32_t code, char *out) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(code >> 24),
                                    static_cast<unsigned char>(code >> 16),
                                    static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code)};
    bool printable = true;
    for (unsigned char byte : bytes) {
        // A backslash would read as an escape in the quoted form.
        if (!std::isprint(byte) || byte == '\\') printable = false;
    }
    if (printable) {
        std::snprintf(out, 11, "'%c%c%c%c'", bytes[0], bytes[1], bytes[2], bytes[3]);
    } else {
        std::snprintf(out, 11, "0x%02X%02X%02X%02X", bytes[0], bytes[1], bytes[2], bytes[3]);
    }
    return out;
}

void StreamBasicDescription::Print() const {
    char text[256];
    deskcam::stdoutLine("%s%s %s\n", "", "AudioStreamBasicDescription:", AsString(text, sizeof text));
}

bool StreamBasicDescription::isNonInterleavedPCM() const {
    return desc_.mFormatID == kAudioFormatLinearPCM &&
           (desc_.mFormatFlags & kAudioFormatFlagIsNonInterleaved);
}

std::int32_t StreamBasicDescription::SampleWordSize() const {
    if (desc_.mBytesPerFrame == 0) return 0;
    // Non-interleaved PCM frames hold one channel's sample.
    if (isNonInterleavedPCM()) return static_cast<std::int32_t>(desc_.mBytesPerFrame);
    if (desc_.mChannelsPerFrame == 0) return 0;
    return static_cast<std::int32_t>(desc_.mBytesPerFrame / desc_.mChannelsPerFrame);
}

char *StreamBasicDescription::AsString(char *buffer, std::size_t size) const {
    if (size == 0) return buffer;
    char formatText[11];
    const int head = std::snprintf(buffer, size, "%2d ch, %6.0f Hz, %s (0x%08X) ",
                                   static_cast<int>(desc_.mChannelsPerFrame), desc_.mSampleRate,
                                   StringForOSType(desc_.mFormatID, formatText), desc_.mFormatFlags);
    if (head < 0 || static_cast<std::size_t>(head) >= size) return buffer;

    char *tail = buffer + head;
    const std::size_t left = size - static_cast<std::size_t>(head);
    switch (desc_.mFormatID) {
        case kAudioFormatAppleLossless:
            appendAppleLosslessTail(tail, left);
            break;
        case kAudioFormatLinearPCM:
            appendLinearPCMTail(tail, left);
            break;
        default:
            appendGenericTail(tail, left);
            break;
    }
    return buffer;
}

void StreamBasicDescription::appendAppleLosslessTail(char *buffer, std::size_t size) const {
    // The flags of an Apple Lossless description name the source bit depth.
    static constexpr int kSourceDepths[] = {0, 16, 20, 24, 32};
    int written;
    if (desc_.mFormatFlags >= 1 && desc_.mFormatFlags <= 4) {
        written = std::snprintf(buffer, size, "from %d-bit source, ", kSourceDepths[desc_.mFormatFlags]);
    } else {
        written = std::snprintf(buffer, size, "from UNKNOWN source bit depth, ");
    }
    if (written < 0 || static_cast<std::size_t>(written) >= size) return;
    std::snprintf(buffer + written, size - static_cast<std::size_t>(written), "%d frames/packet",
                  static_cast<int>(desc_.mFramesPerPacket));
}

void StreamBasicDescription::appendLinearPCMTail(char *buffer, std::size_t size) const {
    const std::uint32_t flags = desc_.mFormatFlags;
    const bool isFloat = flags & kAudioFormatFlagIsFloat;
    const int wordSize = SampleWordSize();
    const char *endian = wordSize < 2                            ? ""
                         : (flags & kAudioFormatFlagIsBigEndian) ? " big-endian"
                                                                 : " little-endian";
    const char *sign = isFloat ? "" : (flags & kAudioFormatFlagIsSignedInteger) ? " signed" : " unsigned";
    const char *kind = isFloat ? "float" : "integer";

    char packing[32] = "";
    const char *alignment = "";
    if (wordSize > 0) {
        const bool fillsWord = static_cast<std::uint32_t>(wordSize) * 8 == desc_.mBitsPerChannel;
        if (!fillsWord) {
            std::snprintf(packing, sizeof packing, "%s in %d bytes",
                          (flags & kAudioFormatFlagIsPacked) ? "packed" : "unpacked", wordSize);
        }
        if (!fillsWord || desc_.mBitsPerChannel % 8 != 0) {
            alignment = (flags & kAudioFormatFlagIsAlignedHigh) ? " high-aligned" : " low-aligned";
        }
    }
    const char *deinterleave = (flags & kAudioFormatFlagIsNonInterleaved) ? ", deinterleaved" : "";
    const char *separator = (packing[0] != '\0' || alignment[0] != '\0') ? ", " : "";

    char bits[24];
    const int fractionalBits = static_cast<int>((flags >> 7) & 63);
    if (fractionalBits != 0) {
        std::snprintf(bits, sizeof bits, "%d.%d", static_cast<int>(desc_.mBitsPerChannel) - fractionalBits,
                      fractionalBits);
    } else {
        std::snprintf(bits, sizeof bits, "%d", static_cast<int>(desc_.mBitsPerChannel));
    }
    std::snprintf(buffer, size, "%s-bit%s%s %s%s%s%s%s", bits, endian, sign, kind, separator, packing,
                  alignment, deinterleave);
}

void StreamBasicDescription::appendGenericTail(char *buffer, std::size_t size) const {
    std::snprintf(buffer, size, "%d bits/channel, %d bytes/packet, %d frames/packet, %d bytes/frame",
                  static_cast<int>(desc_.mBitsPerChannel), static_cast<int>(desc_.mBytesPerPacket),
                  static_cast<int>(desc_.mFramesPerPacket), static_cast<int>(desc_.mBytesPerFrame));
}
