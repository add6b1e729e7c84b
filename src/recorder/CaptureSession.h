#pragma once

// Connects the microphone input to the data output while running. One session per recording; it takes one
// input and one output.

#include "recorder/AudioDataOutput.h"
#include "recorder/CaptureDeviceInput.h"

#include <memory>
#include <mutex>

namespace recorder {

class CaptureSession {
  public:
    bool canAddInput(const CaptureDeviceInput *input) const;
    void addInput(std::shared_ptr<CaptureDeviceInput> input);
    bool canAddOutput(const AudioDataOutput *output) const;
    void addOutput(std::shared_ptr<AudioDataOutput> output);

    // Buffers flow from the input to the output from now on.
    void startRunning();
    // Closes the input; the output gets no further buffers. Idempotent.
    void stopRunning();
    bool isRunning() const;

  private:
    // --- guarded by mutex_
    mutable std::mutex mutex_;
    std::shared_ptr<CaptureDeviceInput> input_;
    std::shared_ptr<AudioDataOutput> output_;
    bool running_ = false;
};

}  // namespace recorder
