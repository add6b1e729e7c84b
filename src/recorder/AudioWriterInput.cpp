#include "recorder/AudioWriterInput.h"

#include "base/Log.h"
#include "recorder/MediaWriter.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/opt.h>
}

namespace recorder {
namespace {

// Further than this from its own time, sound is moved by filling silence or dropping samples: lost samples.
constexpr double kGapToleranceSeconds = 0.1;
// Closer than this, sound is left where it is; in between it is stretched or squeezed, by at most
// kMaximumStretch, over kStretchSeconds at a time.
constexpr double kDriftToleranceSeconds = 0.002;
constexpr double kMaximumStretch = 0.002;
constexpr double kStretchSeconds = 1;

AVSampleFormat sampleFormatOf(const AudioStreamBasicDescription &format) {
    if (format.mFormatID != kAudioFormatLinearPCM) return AV_SAMPLE_FMT_NONE;
    const std::uint32_t flags = format.mFormatFlags;
    if (flags & (kAudioFormatFlagIsNonInterleaved | kAudioFormatFlagIsBigEndian)) return AV_SAMPLE_FMT_NONE;
    if (format.mBytesPerFrame != format.mChannelsPerFrame * format.mBitsPerChannel / 8)
        return AV_SAMPLE_FMT_NONE;
    if ((flags & kAudioFormatFlagIsFloat) && format.mBitsPerChannel == 32) return AV_SAMPLE_FMT_FLT;
    if (flags & kAudioFormatFlagIsSignedInteger) {
        if (format.mBitsPerChannel == 16) return AV_SAMPLE_FMT_S16;
        if (format.mBitsPerChannel == 32) return AV_SAMPLE_FMT_S32;
    }
    return AV_SAMPLE_FMT_NONE;
}

CodecContextPtr openEncoder(const AudioSettings &settings, bool globalHeader) {
    const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec) {
        deskcam::logLine("Could not find the AAC encoder");
        return nullptr;
    }
    CodecContextPtr encoder(avcodec_alloc_context3(codec));
    if (!encoder) {
        deskcam::logLine("Could not allocate the AAC encoder");
        return nullptr;
    }
    encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder->sample_rate = static_cast<int>(std::lround(settings.sampleRate));
    av_channel_layout_default(&encoder->ch_layout, settings.channels);
    encoder->bit_rate = settings.bitRate;
    encoder->time_base = AVRational{1, encoder->sample_rate};
    if (globalHeader) encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    const int error = avcodec_open2(encoder.get(), codec, nullptr);
    if (error < 0) {
        deskcam::logLine("Could not open audio codec: %s", errorText(error).c_str());
        return nullptr;
    }
    return encoder;
}

}  // namespace

std::shared_ptr<AudioWriterInput> AudioWriterInput::create(const std::weak_ptr<MediaWriter> &writer,
                                                           AVFormatContext *output,
                                                           const AudioSettings &settings) {
    if (settings.channels < 1 || settings.channels > 8 || settings.sampleRate < 1) {
        deskcam::logLine("Could not add an audio track of %d channels at %.0f Hz", settings.channels,
                         settings.sampleRate);
        return nullptr;
    }
    CodecContextPtr encoder = openEncoder(settings, output->oformat->flags & AVFMT_GLOBALHEADER);
    if (!encoder) return nullptr;
    AVStream *stream = avformat_new_stream(output, nullptr);
    if (!stream) {
        deskcam::logLine("Could not allocate the audio stream");
        return nullptr;
    }
    stream->time_base = encoder->time_base;
    const int error = avcodec_parameters_from_context(stream->codecpar, encoder.get());
    if (error < 0) {
        deskcam::logLine("Could not copy the audio stream parameters: %s", errorText(error).c_str());
        return nullptr;
    }
    return std::make_shared<AudioWriterInput>(writer, std::move(encoder), stream);
}

AudioWriterInput::AudioWriterInput(const std::weak_ptr<MediaWriter> &writer, CodecContextPtr encoder,
                                   AVStream *stream)
    : writer_(writer),
      encoder_(std::move(encoder)),
      stream_(stream),
      frame_(av_frame_alloc()),
      packet_(av_packet_alloc()) {}

bool AudioWriterInput::isReadyForMoreMediaData() const {
    const auto writer = writer_.lock();
    if (!writer || !writer->isWriting() || !writer->sessionStart(nullptr)) return false;
    std::lock_guard lock(mutex_);
    return !finished_ && !failed_;
}

bool AudioWriterInput::appendSampleBuffer(const AudioSampleBuffer &buffer) {
    const auto writer = writer_.lock();
    if (!buffer.dataReady || !isReadyForMoreMediaData()) return false;
    std::lock_guard lock(mutex_);
    if (finished_ || failed_ || !configureConverter(buffer.format)) return false;

    const std::uint32_t frames = buffer.frameCount();
    const std::int64_t pts = writer->timestampFor(buffer.presentationTime, encoder_->time_base);
    // Samples from before the session start are dropped.
    const auto skip = static_cast<std::uint32_t>(std::clamp<std::int64_t>(-pts, 0, frames));
    if (skip == frames) return true;
    // The converter counts time in units of 1 / (input rate x output rate).
    const std::int64_t outputPts = swr_next_pts(converter_.get(), (pts + skip) * sampleRate()) / sampleRate();
    if (fifoPts_ < 0) fifoPts_ = outputPts;
    if (!convertIntoFifo(buffer.data.data() + skip * buffer.format.mBytesPerFrame, frames - skip))
        return false;
    return encodeFromFifo(false);
}

void AudioWriterInput::markAsFinished() {
    const auto writer = writer_.lock();
    std::lock_guard lock(mutex_);
    if (finished_) return;
    finished_ = true;
    // Nothing to flush into a file whose header was never written or that has failed.
    if (failed_ || !writer || !writer->isWriting() || !fifo_) return;
    // The converter holds back a few samples for its filter.
    if (convertIntoFifo(nullptr, 0) && encodeFromFifo(true)) encode(nullptr);
}

bool AudioWriterInput::configureConverter(const AudioStreamBasicDescription &format) {
    const AVSampleFormat sampleFormat = sampleFormatOf(format);
    if (sampleFormat == AV_SAMPLE_FMT_NONE || static_cast<int>(format.mChannelsPerFrame) != channels() ||
        std::lround(format.mSampleRate) != sampleRate()) {
        return false;
    }
    if (converter_ && sampleFormat == inputFormat_) return true;

    SwrContext *converter = nullptr;
    int error = swr_alloc_set_opts2(&converter, &encoder_->ch_layout, encoder_->sample_fmt, sampleRate(),
                                    &encoder_->ch_layout, sampleFormat, sampleRate(), 0, nullptr);
    converter_.reset(converter);
    if (error >= 0) {
        av_opt_set_double(converter, "min_comp", kDriftToleranceSeconds, 0);
        av_opt_set_double(converter, "max_soft_comp", kMaximumStretch, 0);
        av_opt_set_double(converter, "comp_duration", kStretchSeconds, 0);
        av_opt_set_double(converter, "min_hard_comp", kGapToleranceSeconds, 0);
        // Resampling from the start, rather than from the first stretch, keeps the delay of the
        // converter's filter the same all along.
        av_opt_set(converter, "flags", "res", 0);
        error = swr_init(converter);
    }
    if (error < 0) {
        deskcam::logLine("Could not initialize the audio converter: %s", errorText(error).c_str());
        converter_.reset();
        return false;
    }
    inputFormat_ = sampleFormat;
    if (!fifo_) {
        fifo_.reset(av_audio_fifo_alloc(encoder_->sample_fmt, channels(), encoder_->frame_size * 4));
        frame_->format = encoder_->sample_fmt;
        frame_->sample_rate = sampleRate();
        frame_->nb_samples = encoder_->frame_size;
        av_channel_layout_copy(&frame_->ch_layout, &encoder_->ch_layout);
        if (!fifo_ || av_frame_get_buffer(frame_.get(), 0) < 0) {
            deskcam::logLine("Could not allocate the audio frame buffers");
            fifo_.reset();
            failed_ = true;
            return false;
        }
    }
    return true;
}

bool AudioWriterInput::convertIntoFifo(const std::uint8_t *data, std::uint32_t frames) {
    // Without data: what the converter still holds.
    const int room = swr_get_out_samples(converter_.get(), static_cast<int>(frames));
    if (room <= 0) return room == 0;
    FramePtr converted(av_frame_alloc());
    if (!converted) return false;
    converted->format = encoder_->sample_fmt;
    converted->sample_rate = sampleRate();
    converted->nb_samples = room;
    av_channel_layout_copy(&converted->ch_layout, &encoder_->ch_layout);
    int error = av_frame_get_buffer(converted.get(), 0);
    if (error >= 0) {
        const std::uint8_t *planes[1] = {data};
        error = swr_convert(converter_.get(), converted->data, room, data ? planes : nullptr,
                            static_cast<int>(frames));
    }
    if (error >= 0)
        error = av_audio_fifo_write(fifo_.get(), reinterpret_cast<void **>(converted->data), error);
    if (error < 0) {
        deskcam::logLine("Error while converting audio samples: %s", errorText(error).c_str());
        return false;
    }
    return true;
}

bool AudioWriterInput::encodeFromFifo(bool flushShortFrame) {
    for (;;) {
        const int available = av_audio_fifo_size(fifo_.get());
        if (available == 0 || (available < encoder_->frame_size && !flushShortFrame)) return true;
        const int count = std::min(available, encoder_->frame_size);
        int error = av_frame_make_writable(frame_.get());
        if (error >= 0)
            error = av_audio_fifo_read(fifo_.get(), reinterpret_cast<void **>(frame_->data), count);
        if (error < 0) {
            if (auto writer = writer_.lock()) writer->fail("Could not read audio samples", error);
            failed_ = true;
            return false;
        }
        frame_->nb_samples = count;
        frame_->pts = fifoPts_;
        fifoPts_ += count;
        if (!encode(frame_.get())) return false;
    }
}

bool AudioWriterInput::encode(AVFrame *frame) {
    const auto writer = writer_.lock();
    if (!writer) return false;
    int error = avcodec_send_frame(encoder_.get(), frame);
    if (error < 0) {
        writer->fail("Error sending a frame to the audio encoder", error);
        failed_ = true;
        return false;
    }
    for (;;) {
        error = avcodec_receive_packet(encoder_.get(), packet_.get());
        if (error == AVERROR(EAGAIN) || error == AVERROR_EOF) return true;
        if (error < 0) {
            writer->fail("Error encoding an audio frame", error);
            failed_ = true;
            return false;
        }
        if (!writer->writePacket(packet_.get(), encoder_->time_base, stream_)) {
            failed_ = true;
            return false;
        }
    }
}

}  // namespace recorder
