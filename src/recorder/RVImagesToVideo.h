#pragma once

// The recorder: one object per recording. Its recording call samples the newest camera picture on its own
// clock, stamps it with the recording's start time plus frame number / fps, and writes it into an MP4 file
// with the microphone's sound. The call blocks its thread until doStop() (from any thread) and returns while
// the file is still being finished; the completion callback reports the outcome later.
//
// Threads: writeImageAsMovie and the frame loop run on the caller's recording thread; microphone buffers
// arrive on the serial queue "AudioDataOutputQueue"; doStop comes from the main thread; the completion
// step runs on the shared work queue.
//
// A recording can be paused and resumed (any thread): while paused nothing is written, and PauseClock takes
// the pauses out of the file's time line, so picture and sound go on together where they stopped.
//
// The stages: FrameSchedule says which frame slots are due, FrameSampler turns the newest camera picture
// into the track's frame, MicrophoneTrack brings the sound and settles the start time with the writer, and
// RecordingReport says how it went. This class runs them in order: open the writer, open the microphone,
// start writing, loop (due, sample, append), finish, report.

#include "recorder/AudioSampleBuffer.h"
#include "recorder/CMTime.h"
#include "recorder/FrameSampler.h"
#include "recorder/MicrophoneTrack.h"
#include "recorder/PauseClock.h"
#include "recorder/RecordingReport.h"

#include <QImage>
#include <QSizeF>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class FrameSchedule;
class QFile;

namespace dispatch {
class SerialQueue;
}

namespace recorder {
class AudioDataOutput;
class AudioWriterInput;
class CaptureSession;
class MediaWriter;
class VideoWriterInput;
}  // namespace recorder

class RVImagesToVideo : public std::enable_shared_from_this<RVImagesToVideo> {
  public:
    using CallbackBlock = std::function<void(bool)>;
    using FrameBytes = FrameSampler::FrameBytes;
    using FrameSource = FrameSampler::FrameSource;
    using PictureTransform = FrameSampler::PictureTransform;
    // Shows a message about an unusable microphone and returns once the user has dismissed it.
    using AlertPresenter = std::function<void(const std::string &message)>;

    // What the frame loop did, for benchmarks and tests.
    struct Statistics {
        std::uint64_t ticks = 0;
        std::uint64_t framesAppended = 0;
        std::uint64_t lateTicks = 0;     // ticks that came after the next slot had begun
        std::uint64_t skippedSlots = 0;  // slots those late ticks left without a frame
        std::uint64_t decodes = 0;
        // File-clock microseconds (PauseClock) of media time 0 once the frame loop has begun, else 0.
        std::int64_t startMicros = 0;
        // Time spent paused so far (a running pause until now), microseconds.
        std::int64_t pausedMicros = 0;
    };

    // How a recording went, for the message at its end. Complete when the completion callback runs.
    using Report = RecordingReport;

    // The largest side recorded: a camera's header may declare any size up to 65535, and a track of that
    // size would take gigabytes and encode at a few frames a second.
    static constexpr int kMaxVideoSide = 4096;
    // The track's size for pictures of size: as it is, or scaled down, aspect kept, so that
    // neither side exceeds kMaxVideoSide.
    static QSize boundedVideoSize(QSizeF size);

    // A new, idle recorder ("init").
    static std::shared_ptr<RVImagesToVideo> create();
    RVImagesToVideo();
    ~RVImagesToVideo();

    // --- set before the recording call
    // Where pictures come from; by default the image stream receiver's latest frame.
    void setFrameSource(FrameSource source);
    // Default: pictures are encoded as decoded.
    void setPictureTransform(PictureTransform transform) {
        sampler_.setPictureTransform(std::move(transform));
    }
    // false: no microphone, the recording has video only (deskcam-cli record --no-audio).
    void setMicrophoneEnabled(bool enabled);
    // Default: the message goes to the process log.
    void setAlertPresenter(AlertPresenter presenter);
    // Asked before every frame: false ends the recording as doStop does. Unlike a doStop sent before the
    // recording call, which the call undoes, it holds however early it turns false.
    void setStillWanted(std::function<bool()> stillWanted);

    // --- the recording
    // Records into path until doStop(); images and animateTransitions are not used. size is the track size,
    // each side truncated to a whole number. callback (may be empty) gets YES when the file was finished.
    void writeImageAsMovie(const std::vector<QImage> &images, const std::string &path, QSizeF size,
                           std::int32_t fps, bool animateTransitions, CallbackBlock callback);
    // Any thread, any time, more than once: ends the frame loop after its current pass and lets the
    // microphone go. Does not wait.
    void doStop();
    // Any thread, any time until the recording has ended: nothing is written from now until resume(); the
    // file goes on from where it stopped. A pause before the recording call holds from its start; one that
    // is not resumed ends with the recording. Each returns false, doing nothing, when already in that state
    // (or the recording has ended).
    bool pause();
    bool resume();
    bool isPaused() const;
    // Any thread: capture-clock time the recording has spent paused so far.
    std::int64_t pausedMicros() const;
    // Any thread, after doStop: finishing leaves the file fragmented (playable) rather than rewriting it,
    // for a program that cannot wait any longer.
    void abandonFinishing();

    // Convenience entry points (RVImagesToVideoTestHooks.cpp): each records the live pictures like
    // writeImageAsMovie (800 x 600 and 1 frame per second unless given; animateTransitions YES unless given).
    void videoFromImages(const std::vector<QImage> &images, const std::string &path, CallbackBlock callback);
    void videoFromImages(const std::vector<QImage> &images, const std::string &path, bool animateTransitions,
                         CallbackBlock callback);
    void videoFromImages(const std::vector<QImage> &images, const std::string &path, std::int32_t fps,
                         bool animateTransitions, CallbackBlock callback);
    void videoFromImages(const std::vector<QImage> &images, const std::string &path, QSizeF size,
                         bool animateTransitions, CallbackBlock callback);
    void videoFromImages(const std::vector<QImage> &images, const std::string &path, QSizeF size,
                         std::int32_t fps, bool animateTransitions, CallbackBlock callback);
    // The same into "temp.mp4" in the temporary folder (replaced if there).
    void saveVideoToPhotosWithImages(const std::vector<QImage> &images, CallbackBlock callback);
    void saveVideoToPhotosWithImages(const std::vector<QImage> &images, bool animateTransitions,
                                     CallbackBlock callback);
    void saveVideoToPhotosWithImages(const std::vector<QImage> &images, QSizeF size, bool animateTransitions,
                                     CallbackBlock callback);
    void saveVideoToPhotosWithImages(const std::vector<QImage> &images, std::int32_t fps,
                                     bool animateTransitions, CallbackBlock callback);
    void saveVideoToPhotosWithImages(const std::vector<QImage> &images, QSizeF size, std::int32_t fps,
                                     bool animateTransitions, CallbackBlock callback);

    // --- the pieces of a recording
    // An opaque 32-bit xRGB buffer of the picture's own size with the picture drawn in.
    static QImage newPixelBufferFromNSImage(const QImage &picture);
    // Waits until input takes more data, then appends the buffer at time. Gives up when the
    // recording is stopped or the writer has failed, so a dead writer cannot hold the thread.
    bool appendToAdapter(recorder::VideoWriterInput &input, const QImage &pixelBuffer, const CMTime &time);

    // Opens the default microphone and waits up to 6 s for its first buffer (recording thread).
    void initAudioDevice();
    // Adds the AAC track to the writer; refused once writing has started.
    void initAudioInputChannels(std::int32_t channels, double samples);
    // The data output's callback, on "AudioDataOutputQueue".
    void captureOutput(recorder::AudioDataOutput *output, const AudioSampleBuffer &buffer);
    // Appends a microphone buffer if the audio track takes it now; never waits.
    bool encodeFrame(const AudioSampleBuffer &buffer, bool isVideo);
    // A copy of buffer with offset taken off its time.
    static AudioSampleBuffer adjustTime(const AudioSampleBuffer &buffer, const CMTime &offset);

    // --- accessors (those only tests use: RVImagesToVideoTestHooks.cpp)
    bool bStop() const { return bStop_.load(); }
    CMTime startTime() const;
    void setStartTime(const CMTime &time);
    CMTime current_video_time() const { return current_video_time_; }
    std::shared_ptr<recorder::MediaWriter> videoWriter() const;
    std::shared_ptr<recorder::VideoWriterInput> writerInput() const;
    std::shared_ptr<recorder::AudioWriterInput> audioInput() const;
    std::shared_ptr<recorder::CaptureSession> captureSession() const;
    std::shared_ptr<recorder::AudioDataOutput> captureAudioMicDataOutput() const;
    void setCaptureAudioMicDataOutput(std::shared_ptr<recorder::AudioDataOutput> output);
    void setVideoWriter(std::shared_ptr<recorder::MediaWriter> writer);
    // Made on first use; nothing puts work on it.
    std::shared_ptr<dispatch::SerialQueue> captureQueue();
    Statistics statistics() const;
    Report report() const;

  private:
    bool openWriter(const std::string &path, QSizeF size, std::int32_t fps);
    void openScratchFile();
    MicrophoneTrack::Delegate delivery();
    void startWriting();
    void runFrameLoop(std::int32_t fps);
    // Waits until the file's clock reaches dueMicros, through any pause; the file time then. None once
    // stopped.
    std::optional<std::int64_t> waitForSlot(std::int64_t dueMicros);
    std::int64_t fileNowMicros() const;
    void endPause();
    bool fileGone(const std::string &path);
    bool stopRequested() const;
    void tick(FrameSchedule &schedule, std::int64_t nowMicros);
    bool appendFrame(const QImage &pixelBuffer, std::int64_t slot);
    void finishRecording(CallbackBlock callback);
    // File clock: where the last frame ends, which is where the sound should end too.
    std::int64_t videoEndMicros() const;
    void completeRecording(const CallbackBlock &callback);
    RecordingReport::Facts factsOf(const recorder::MediaWriter &writer) const;
    void setReport(const Report &report);
    static FrameSource defaultFrameSource();

    // --- set before the recording call; then the recording thread, and after the frame loop the
    // completion step (which the writer starts once the recording thread has handed over)
    FrameSampler sampler_;
    std::function<bool()> stillWanted_;
    std::unique_ptr<QFile> audioFileHandle_;
    CMTime current_video_time_;
    CMTime sessionStart_;
    std::int32_t fps_ = 0;
    std::int64_t anchorMicros_ = 0;     // file clock of media time 0
    std::int64_t framesInTrack_ = 0;    // slots up to and including the last appended frame
    std::optional<double> fileGoneAt_;  // seconds into the recording its file was found gone
    std::string setUpFailure_;

    // --- stop and pause: set from any thread; stopMutex_ and stopChanged_ wake the frame loop's wait
    std::atomic<bool> bStop_{false};
    mutable std::mutex stopMutex_;
    std::condition_variable stopChanged_;
    PauseClock pauseClock_;  // guarded by stopMutex_; the audio queue reads copies
    bool ended_ = false;     // guarded by stopMutex_: the recording call has ended its frame loop

    // --- the microphone: its own lock (the audio queue, the recording thread, doStop)
    MicrophoneTrack microphone_;

    // --- guarded by writerMutex_: set up by the recording thread, let go by the completion step, read by
    // abandonFinishing and tests from other threads
    mutable std::mutex writerMutex_;
    std::shared_ptr<recorder::MediaWriter> videoWriter_;
    std::shared_ptr<recorder::VideoWriterInput> writerInput_;

    // --- guarded by statisticsMutex_: written by the frame loop, read from any thread
    mutable std::mutex statisticsMutex_;
    Statistics statistics_;

    // --- guarded by reportMutex_: written by the recording thread or the completion step, read anywhere
    mutable std::mutex reportMutex_;
    Report report_;
};
