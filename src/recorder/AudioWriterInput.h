#pragma once

// The AAC track of a recording. Buffers are converted to the encoder's planar float samples, cut into the
// encoder's frames and encoded on the thread that appends them (the audio queue); encoding sound is cheap
// next to the pictures.
//
// Sample times: the sound follows the buffers' own times, which run on the capture clock that also times
// the pictures. A sound card's clock differs a little from it, so the sound drifts away from those times
// by a few ms a minute: the converter stretches or squeezes it by at most 0.2 % (inaudible) until it is
// back within 2 ms. Past 100 ms the samples in between were lost (or came twice): that much silence is
// filled in (or that much sound dropped), so the sound keeps its place on the recording's time line.

#include "recorder/AudioSampleBuffer.h"
#include "recorder/FFmpeg.h"

#include <cstdint>
#include <memory>
#include <mutex>

namespace recorder {

class MediaWriter;

struct AudioSettings {
    std::int32_t channels = 0;
    double sampleRate = 0;
    std::int32_t bitRate = 128000;
};

class AudioWriterInput {
  public:
    // Adds an AAC stream to output and opens its encoder. Null (logged) when it cannot be opened.
    static std::shared_ptr<AudioWriterInput> create(const std::weak_ptr<MediaWriter> &writer,
                                                    AVFormatContext *output, const AudioSettings &settings);

    int channels() const { return encoder_->ch_layout.nb_channels; }
    int sampleRate() const { return encoder_->sample_rate; }

    // The writer writing, the session started and the input not finished.
    bool isReadyForMoreMediaData() const;
    // Encodes the buffer's samples at its time. False when not ready, when its format is not interleaved
    // 16-bit, 32-bit or float PCM of the track's channel count and rate, or on an encoder error.
    bool appendSampleBuffer(const AudioSampleBuffer &buffer);
    // Encodes what is left (a short last frame) and flushes the encoder.
    void markAsFinished();

    AudioWriterInput(const std::weak_ptr<MediaWriter> &writer, CodecContextPtr encoder, AVStream *stream);

  private:
    bool configureConverter(const AudioStreamBasicDescription &format);
    bool convertIntoFifo(const std::uint8_t *data, std::uint32_t frames);
    bool encodeFromFifo(bool flushShortFrame);
    bool encode(AVFrame *frame);

    const std::weak_ptr<MediaWriter> writer_;
    const CodecContextPtr encoder_;
    AVStream *const stream_;  // owned by the writer's muxer

    // --- guarded by mutex_
    mutable std::mutex mutex_;
    bool finished_ = false;
    bool failed_ = false;
    SwrContextPtr converter_;
    AVSampleFormat inputFormat_ = AV_SAMPLE_FMT_NONE;
    AudioFifoPtr fifo_;
    FramePtr frame_;
    PacketPtr packet_;
    // Time (in samples since the session start) of the fifo's first sample; none before the first buffer.
    std::int64_t fifoPts_ = -1;
};

}  // namespace recorder
