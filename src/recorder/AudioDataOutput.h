#pragma once

// The receiving end of a capture session: takes the microphone's buffers from the capture thread and hands
// each to its delegate on the delegate's serial queue, one at a time and in order. The delegate is told
// which output a buffer came from, so it can ignore an output it has let go.

#include "dispatch/SerialQueue.h"
#include "recorder/AudioSampleBuffer.h"

#include <QAudioFormat>

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace recorder {

class AudioDataOutput : public std::enable_shared_from_this<AudioDataOutput> {
  public:
    using Delegate = std::function<void(AudioDataOutput *output, const AudioSampleBuffer &buffer)>;

    static std::shared_ptr<AudioDataOutput> create() { return std::make_shared<AudioDataOutput>(); }

    // The format buffers are delivered in (linear PCM).
    void setAudioSettings(const QAudioFormat &format);
    QAudioFormat audioSettings() const;
    // The settings as the log shows them: "{AVFormatIDKey = 1819304813; AVSampleRateKey = 44100; ...}".
    std::string audioSettingsText() const;

    void setSampleBufferDelegate(Delegate delegate, dispatch::SerialQueuePtr queue);
    // Any thread: queues buffer for the delegate; dropped when there is none.
    void deliver(AudioSampleBuffer buffer);

  private:
    // --- guarded by mutex_
    mutable std::mutex mutex_;
    QAudioFormat settings_;
    Delegate delegate_;
    dispatch::SerialQueuePtr queue_;
};

}  // namespace recorder
