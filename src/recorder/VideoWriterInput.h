#pragma once

// The H.264 track of a recording. Pictures are converted and scaled to the track's size and format by the
// thread that appends them, and encoded on the input's own thread, so converting the next picture overlaps
// encoding this one. The queue holds converted frames up to a memory budget: enough at 1920x1080 to ride
// out the encoder's slow first second (its threads filling up) without a late frame, while the input
// still reports itself not ready once it is full, the way a real-time writer input pushes back.

#include "recorder/CMTime.h"
#include "recorder/FFmpeg.h"

#include <QImage>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace recorder {

class MediaWriter;

// x264 preset for live recording: "superfast" keeps 1920x1080 at 25 frames per second within about half of
// one core, leaving the other core to the viewer, and gives files a third smaller than "ultrafast".
inline constexpr const char *kLivePreset = "superfast";

struct VideoSettings {
    int width = 0;
    int height = 0;
    // Encoder time base 1/frameRate; frame times are whole frames apart.
    int frameRate = 25;
    std::string preset = kLivePreset;
};

class VideoWriterInput {
  public:
    // Adds an H.264 stream to output and opens its encoder. Null (logged) when it cannot be opened.
    static std::shared_ptr<VideoWriterInput> create(const std::weak_ptr<MediaWriter> &writer,
                                                    AVFormatContext *output, const VideoSettings &settings);
    ~VideoWriterInput();
    VideoWriterInput(const VideoWriterInput &) = delete;
    VideoWriterInput &operator=(const VideoWriterInput &) = delete;

    int width() const { return encoder_->width; }
    int height() const { return encoder_->height; }

    // Room for another picture, the writer writing and the session started.
    bool isReadyForMoreMediaData() const;
    // Converts picture (any size, 32-bit xRGB) and queues it as the frame at time. False when not ready or
    // when time is not after the previous frame's. One thread at a time.
    bool appendPixelBuffer(const QImage &picture, const CMTime &time);
    // Frames the queue holds at most: a memory budget, and never fewer than two.
    std::size_t maxPendingFrames() const { return maxPending_; }
    // Blocks until the queue has room for another picture, at most limit. False once the input is finished.
    bool waitForRoom(std::chrono::milliseconds limit);
    // No more pictures: the encoder is flushed after the queued ones.
    void markAsFinished();
    // Blocks until every queued picture is encoded and written.
    void waitUntilFinished();

    VideoWriterInput(const std::weak_ptr<MediaWriter> &writer, CodecContextPtr encoder, AVStream *stream);

  private:
    struct Pending {
        FramePtr frame;  // a reference to converted pixels, which the next frame may share
        std::int64_t pts = 0;
    };

    void run();
    // A frame of the track's size and format holding picture; null (and the writer failed) on error.
    FramePtr convert(const QImage &picture);
    bool prepareConverted(MediaWriter &writer);
    bool encode(AVFrame *frame);

    const std::weak_ptr<MediaWriter> writer_;
    const CodecContextPtr encoder_;
    AVStream *const stream_;  // owned by the writer's muxer
    const std::size_t maxPending_;

    // --- guarded by mutex_
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Pending> pending_;
    bool finished_ = false;
    bool drained_ = false;
    std::int64_t lastPts_ = INT64_MIN;

    // --- the appending thread only
    FramePtr converted_;  // the newest conversion
    SwsContextPtr scaler_;
    qint64 convertedKey_ = 0;

    // --- encoder thread only
    PacketPtr packet_;

    std::thread thread_;
};

}  // namespace recorder
