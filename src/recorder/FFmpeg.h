#pragma once

// Ownership of FFmpeg objects: one small deleter per type, so every object has a single release path
// whatever way a function leaves.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

namespace recorder {

struct OutputContextDeleter {
    // Closes the file if it was opened, then frees the muxer.
    void operator()(AVFormatContext *context) const;
};
struct InputContextDeleter {
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct CodecContextDeleter {
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct FrameDeleter {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
struct SwsContextDeleter {
    void operator()(SwsContext *context) const { sws_freeContext(context); }
};
struct SwrContextDeleter {
    void operator()(SwrContext *context) const { swr_free(&context); }
};
struct AudioFifoDeleter {
    void operator()(AVAudioFifo *fifo) const { av_audio_fifo_free(fifo); }
};
struct DictionaryDeleter {
    void operator()(AVDictionary *dictionary) const { av_dict_free(&dictionary); }
};

using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextDeleter>;
using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using SwsContextPtr = std::unique_ptr<SwsContext, SwsContextDeleter>;
using SwrContextPtr = std::unique_ptr<SwrContext, SwrContextDeleter>;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoDeleter>;

// av_err2str for C++: the text of an AVERROR code.
std::string errorText(int error);

}  // namespace recorder
