#include "recorder/AudioDataOutput.h"

#include "recorder/StreamBasicDescription.h"

namespace recorder {

void AudioDataOutput::setAudioSettings(const QAudioFormat &format) {
    std::lock_guard lock(mutex_);
    settings_ = format;
}

QAudioFormat AudioDataOutput::audioSettings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

std::string AudioDataOutput::audioSettingsText() const {
    const QAudioFormat format = audioSettings();
    return "{AVFormatIDKey = " + std::to_string(kAudioFormatLinearPCM) +
           "; AVSampleRateKey = " + std::to_string(format.sampleRate()) +
           "; AVNumberOfChannelsKey = " + std::to_string(format.channelCount()) +
           "; AVLinearPCMBitDepthKey = " + std::to_string(format.bytesPerSample() * 8) +
           "; AVLinearPCMIsFloatKey = " + (format.sampleFormat() == QAudioFormat::Float ? "1" : "0") + "}";
}

void AudioDataOutput::setSampleBufferDelegate(Delegate delegate, dispatch::SerialQueuePtr queue) {
    std::lock_guard lock(mutex_);
    delegate_ = std::move(delegate);
    queue_ = std::move(queue);
}

void AudioDataOutput::deliver(AudioSampleBuffer buffer) {
    Delegate delegate;
    dispatch::SerialQueuePtr queue;
    {
        std::lock_guard lock(mutex_);
        delegate = delegate_;
        queue = queue_;
    }
    if (!delegate || !queue) return;
    // The output stays alive until its buffers are handed over, even when the recorder lets it go.
    queue->async([self = shared_from_this(), delegate = std::move(delegate), buffer = std::move(buffer)] {
        delegate(self.get(), buffer);
    });
}

}  // namespace recorder
