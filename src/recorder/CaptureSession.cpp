#include "recorder/CaptureSession.h"

namespace recorder {

bool CaptureSession::canAddInput(const CaptureDeviceInput *input) const {
    std::lock_guard lock(mutex_);
    return input && !input_;
}

void CaptureSession::addInput(std::shared_ptr<CaptureDeviceInput> input) {
    std::lock_guard lock(mutex_);
    input_ = std::move(input);
}

bool CaptureSession::canAddOutput(const AudioDataOutput *output) const {
    std::lock_guard lock(mutex_);
    return output && !output_;
}

void CaptureSession::addOutput(std::shared_ptr<AudioDataOutput> output) {
    std::lock_guard lock(mutex_);
    output_ = std::move(output);
}

void CaptureSession::startRunning() {
    std::lock_guard lock(mutex_);
    if (running_ || !input_ || !output_) return;
    running_ = true;
    input_->setSink([output = std::weak_ptr(output_)](AudioSampleBuffer buffer) {
        if (auto receiver = output.lock()) receiver->deliver(std::move(buffer));
    });
}

void CaptureSession::stopRunning() {
    std::shared_ptr<CaptureDeviceInput> input;
    {
        std::lock_guard lock(mutex_);
        running_ = false;
        input = input_;
    }
    if (!input) return;
    input->setSink(nullptr);
    input->stop();
}

bool CaptureSession::isRunning() const {
    std::lock_guard lock(mutex_);
    return running_;
}

}  // namespace recorder
