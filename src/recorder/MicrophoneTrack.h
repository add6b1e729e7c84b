#pragma once

// The microphone side of a recording: opens the default microphone in a capture session, waits for its
// first buffer, adds the AAC track that buffer describes and appends the sound; settles the recording's
// start time with the writer (the first buffer's time, unless writing has begun without one) and watches
// for spells without sound. Sound heard while the recording is paused is dropped, and the rest goes on the
// file's clock (PauseClock), as the pictures do.
//
// Threads: open, beginWriting, finish and the silence watch run on the recording thread; buffers arrive on
// the serial queue "AudioDataOutputQueue"; release comes from doStop (any thread); dropTrack from the
// completion step. Everything the audio queue shares with the others is guarded by mutex_.

#include "recorder/AudioSampleBuffer.h"
#include "recorder/CMTime.h"
#include "recorder/PauseClock.h"
#include "recorder/SilenceWatch.h"
#include "recorder/StreamBasicDescription.h"

#include <QAudioDevice>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace dispatch {
class SerialQueue;
}

namespace recorder {
class AudioDataOutput;
class AudioWriterInput;
class CaptureDeviceInput;
class CaptureSession;
class MediaWriter;
}  // namespace recorder

class MicrophoneTrack {
  public:
    using Delegate = std::function<void(recorder::AudioDataOutput *output, const AudioSampleBuffer &buffer)>;
    struct Hooks {
        std::function<bool()> stopped;                   // the recording was stopped
        std::function<void(const std::string &)> alert;  // an unusable microphone; returns once dismissed
        std::function<PauseClock()> pauses;              // the recording's pauses so far; none when empty
    };

    explicit MicrophoneTrack(Hooks hooks);
    ~MicrophoneTrack();

    void setEnabled(bool enabled) { enabled_ = enabled; }
    void setAlertPresenter(std::function<void(const std::string &)> alert) {
        hooks_.alert = std::move(alert);
    }
    // The file the track goes into; null lets it go.
    void setWriter(std::shared_ptr<recorder::MediaWriter> writer);

    // Opens the default microphone, its buffers going to deliver, and waits up to 6 s for the first one.
    void open(Delegate deliver);
    // Starts writing the file and returns the recording's start time (unset without sound): under the lock,
    // so no track is added, and no start time taken, once the writer has begun.
    CMTime beginWriting(recorder::MediaWriter &writer);
    // A buffer from output, on the audio queue.
    void captureOutput(recorder::AudioDataOutput *output, const AudioSampleBuffer &buffer);
    // Appends a buffer if the track takes it now; never waits.
    bool encodeFrame(const AudioSampleBuffer &buffer, bool isVideo);
    // Adds the AAC track to the writer; refused once writing has started.
    void addTrack(std::int32_t channels, double samples);
    // Lets the microphone go and forgets the start time (doStop, or the end of a recording).
    void release();
    bool writingStarted() const;
    // Takes the sound up to endMicros (file clock: the end of the last frame), waiting a little for what
    // the microphone has heard but not yet delivered, then lets the microphone go: without it the file's
    // sound stopped short of its pictures by the microphone's latency.
    void releaseAt(std::int64_t endMicros);
    // No more sound: the session stops and the track is flushed.
    void finish();
    void dropTrack();

    // The frame loop begins at startMicros: the microphone's silence counts from then, if it has a track.
    void startWatching(std::int64_t startMicros);
    void watch(std::int64_t nowMicros);
    std::vector<SilenceWatch::Spell> silences() const;

    CMTime startTime() const;
    void setStartTime(const CMTime &time);
    std::shared_ptr<recorder::AudioWriterInput> track() const;
    std::shared_ptr<recorder::CaptureSession> session() const;
    std::shared_ptr<recorder::AudioDataOutput> output() const;
    void setOutput(std::shared_ptr<recorder::AudioDataOutput> output);
    std::shared_ptr<dispatch::SerialQueue> captureQueue();

  private:
    bool openSession(const QAudioDevice &device, std::uint32_t deviceChannels, Delegate deliver);
    std::shared_ptr<recorder::CaptureDeviceInput> openDeviceInput(const QAudioDevice &device,
                                                                  std::uint32_t channels);
    static AudioStreamBasicDescription canonicalFormat(std::uint32_t channels);
    bool deliverTo(const std::shared_ptr<recorder::AudioDataOutput> &output, Delegate deliver);
    bool waitForFirstBuffer();
    void addTrackLocked(std::int32_t channels, double samples);
    // The parts of buffer heard outside every pause, each stamped with its file time.
    static std::vector<AudioSampleBuffer> outsidePauses(const AudioSampleBuffer &buffer,
                                                        const PauseClock &pauses);
    // Cuts the pieces at endMicros, dropping what lies beyond.
    static void cutAt(std::vector<AudioSampleBuffer> &pieces, std::int64_t endMicros);

    Hooks hooks_;
    bool enabled_ = true;                           // set before the recording
    std::atomic<std::int64_t> lastSoundMicros_{0};  // file clock: arrival of the newest buffer
    std::optional<SilenceWatch> watch_;             // recording thread, then the completion step

    // --- guarded by mutex_: the recording thread, the audio queue, doStop and the completion step
    mutable std::mutex mutex_;
    std::condition_variable trackAdded_;  // also woken by release
    std::condition_variable heard_;       // heardUntilMicros_ moved on
    CMTime startTime_;
    bool writingStarted_ = false;
    std::optional<std::int64_t> soundEndMicros_;  // no sound beyond: the end of the last frame
    std::int64_t heardUntilMicros_ = 0;           // file clock: the end of the newest sound delivered
    std::shared_ptr<recorder::MediaWriter> writer_;
    std::shared_ptr<recorder::AudioWriterInput> track_;
    std::optional<QAudioDevice> device_;
    std::shared_ptr<recorder::CaptureDeviceInput> input_;
    std::shared_ptr<recorder::AudioDataOutput> output_;
    std::shared_ptr<recorder::CaptureSession> session_;
    std::shared_ptr<dispatch::SerialQueue> captureQueue_;
};
