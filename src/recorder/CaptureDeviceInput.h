#pragma once

// The microphone as a capture input: a Qt audio source (PulseAudio underneath) opened on a thread of its
// own. Qt's audio source needs an event loop in its thread and the recording thread has none, so the
// input runs one; buffers are read there, stamped on the capture clock and passed to the sink.
//
// Needs a QCoreApplication (or QApplication) to exist.

#include "recorder/AudioSampleBuffer.h"
#include "recorder/CaptureTimestamps.h"

#include <QAudioDevice>
#include <QAudioFormat>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

class QAudioSource;
class QIODevice;
class QObject;
class QThread;

namespace recorder {

// The stream description of a Qt audio format (interleaved linear PCM, native byte order).
AudioStreamBasicDescription descriptionOfFormat(const QAudioFormat &format);

class CaptureDeviceInput {
  public:
    using Sink = std::function<void(AudioSampleBuffer buffer)>;

    // Opens device in format. Null, with a message for the user in error, when it cannot be opened.
    static std::unique_ptr<CaptureDeviceInput> create(const QAudioDevice &device, const QAudioFormat &format,
                                                      std::string *error);
    ~CaptureDeviceInput();
    CaptureDeviceInput(const CaptureDeviceInput &) = delete;
    CaptureDeviceInput &operator=(const CaptureDeviceInput &) = delete;

    const QAudioDevice &device() const { return device_; }
    QAudioFormat format() const { return format_; }

    // Buffers read from now on go to sink, called on the capture thread; without one they are dropped.
    void setSink(Sink sink);
    // Closes the device and ends the capture thread. Idempotent.
    void stop();

    CaptureDeviceInput(const QAudioDevice &device, const QAudioFormat &format);

  private:
    bool open(std::string *error);
    void readAvailable();

    const QAudioDevice device_;
    const QAudioFormat format_;
    std::unique_ptr<QThread> thread_;
    QObject *context_ = nullptr;  // lives in thread_; parent of the source; deleted there

    // --- capture thread only
    QAudioSource *source_ = nullptr;
    QIODevice *stream_ = nullptr;
    QByteArray partialFrame_;
    std::optional<CaptureTimestamps> clock_;  // from the moment the device is opened

    // --- guarded by sinkMutex_
    std::mutex sinkMutex_;
    Sink sink_;
};

}  // namespace recorder
