#include "MediaProbe.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <memory>

namespace recorder_test {
namespace {

struct InputCloser {
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct CodecFreer {
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
using InputPtr = std::unique_ptr<AVFormatContext, InputCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;

InputPtr openInput(const std::string &path) {
    AVFormatContext *context = nullptr;
    if (avformat_open_input(&context, path.c_str(), nullptr, nullptr) < 0) return nullptr;
    InputPtr input(context);
    if (avformat_find_stream_info(context, nullptr) < 0) return nullptr;
    return input;
}

// Decodes every frame of the first stream of type and hands it with its time in seconds to onFrame.
template <typename OnFrame>
void decodeStream(const std::string &path, AVMediaType type, OnFrame onFrame) {
    InputPtr input = openInput(path);
    if (!input) return;
    const int index = av_find_best_stream(input.get(), type, -1, -1, nullptr, 0);
    if (index < 0) return;
    AVStream *stream = input->streams[index];
    const AVCodec *codec = avcodec_find_decoder(stream->codecpar->codec_id);
    CodecPtr decoder(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(decoder.get(), stream->codecpar);
    decoder->pkt_timebase = stream->time_base;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0) return;
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    auto drain = [&] {
        while (avcodec_receive_frame(decoder.get(), frame.get()) >= 0) {
            const double time = frame->best_effort_timestamp == AV_NOPTS_VALUE
                                    ? 0
                                    : frame->best_effort_timestamp * av_q2d(stream->time_base);
            onFrame(frame.get(), time);
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(decoder.get(), packet.get()) >= 0) drain();
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(decoder.get(), nullptr);
    drain();
}

}  // namespace

const ProbedStream *ProbedFile::find(const std::string &codec) const {
    for (const ProbedStream &stream : streams) {
        if (stream.codec == codec) return &stream;
    }
    return nullptr;
}

ProbedFile probeFile(const std::string &path) {
    ProbedFile file;
    InputPtr input = openInput(path);
    if (!input) return file;
    file.opened = true;
    file.duration = input->duration == AV_NOPTS_VALUE ? 0 : input->duration / double(AV_TIME_BASE);
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream *stream = input->streams[i];
        ProbedStream probed;
        probed.codec = avcodec_get_name(stream->codecpar->codec_id);
        probed.width = stream->codecpar->width;
        probed.height = stream->codecpar->height;
        probed.frameRate = av_q2d(stream->r_frame_rate);
        probed.channels = stream->codecpar->ch_layout.nb_channels;
        probed.sampleRate = stream->codecpar->sample_rate;
        probed.duration =
            stream->duration == AV_NOPTS_VALUE ? 0 : stream->duration * av_q2d(stream->time_base);
        file.streams.push_back(probed);
    }
    return file;
}

std::vector<std::string> topLevelBoxes(const std::string &path) {
    std::vector<std::string> boxes;
    std::ifstream in(path, std::ios::binary);
    unsigned char head[8];
    while (in.read(reinterpret_cast<char *>(head), sizeof head)) {
        const std::uint64_t size =
            (std::uint64_t(head[0]) << 24) | (head[1] << 16) | (head[2] << 8) | head[3];
        boxes.emplace_back(reinterpret_cast<char *>(head) + 4, 4);
        if (size < 8) break;
        in.seekg(static_cast<std::streamoff>(size - 8), std::ios::cur);
    }
    return boxes;
}

bool indexBeforeMediaData(const std::string &path) {
    for (const std::string &box : topLevelBoxes(path)) {
        if (box == "moov") return true;
        if (box == "mdat") return false;
    }
    return false;
}

bool isFragmented(const std::string &path) {
    const auto boxes = topLevelBoxes(path);
    return std::find(boxes.begin(), boxes.end(), "moof") != boxes.end();
}

void forEachPicture(const std::string &path, const std::function<void(const DecodedPicture &)> &onPicture) {
    decodeStream(path, AVMEDIA_TYPE_VIDEO, [&](AVFrame *frame, double time) {
        const int width = std::min(64, frame->width);
        const int height = std::max(1, frame->height * width / frame->width);
        QImage picture(width, height, QImage::Format_RGB32);
        SwsContext *scaler = sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), width,
                                            height, AV_PIX_FMT_RGB32, SWS_AREA, nullptr, nullptr, nullptr);
        const int *bt709 = sws_getCoefficients(SWS_CS_ITU709);
        sws_setColorspaceDetails(scaler, bt709, 0, bt709, 1, 0, 1 << 16, 1 << 16);
        uint8_t *planes[1] = {picture.bits()};
        const int strides[1] = {static_cast<int>(picture.bytesPerLine())};
        sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
        sws_freeContext(scaler);
        onPicture(DecodedPicture{time, picture});
    });
}

void forEachSound(const std::string &path, const std::function<void(const DecodedSound &)> &onSound) {
    DecodedSound block;
    decodeStream(path, AVMEDIA_TYPE_AUDIO, [&](AVFrame *frame, double time) {
        block.sampleRate = frame->sample_rate;
        block.startTime = time;
        block.samples.clear();
        // The native AAC decoder gives planar float.
        const int channels = frame->ch_layout.nb_channels;
        for (int i = 0; i < frame->nb_samples; ++i) {
            float sum = 0;
            for (int c = 0; c < channels; ++c)
                sum += reinterpret_cast<const float *>(frame->extended_data[c])[i];
            block.samples.push_back(sum / channels);
        }
        onSound(block);
    });
}

std::vector<DecodedPicture> decodePictures(const std::string &path) {
    std::vector<DecodedPicture> pictures;
    forEachPicture(path, [&](const DecodedPicture &picture) { pictures.push_back(picture); });
    return pictures;
}

DecodedSound decodeSound(const std::string &path) {
    DecodedSound sound;
    forEachSound(path, [&](const DecodedSound &block) {
        if (sound.samples.empty()) {
            sound.sampleRate = block.sampleRate;
            sound.startTime = block.startTime;
        }
        sound.samples.insert(sound.samples.end(), block.samples.begin(), block.samples.end());
    });
    return sound;
}

double dominantFrequency(const std::vector<float> &samples, int sampleRate, double low, double high) {
    double best = 0;
    double bestPower = -1;
    for (double f = low; f <= high; f += 1) {
        const double coefficient = 2 * std::cos(2 * M_PI * f / sampleRate);
        double previous = 0, beforePrevious = 0;
        for (float sample : samples) {
            const double current = sample + coefficient * previous - beforePrevious;
            beforePrevious = previous;
            previous = current;
        }
        const double power =
            previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
        if (power > bestPower) {
            bestPower = power;
            best = f;
        }
    }
    return best;
}

}  // namespace recorder_test
