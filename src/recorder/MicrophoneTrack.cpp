#include "recorder/MicrophoneTrack.h"

#include "base/Log.h"
#include "dispatch/SerialQueue.h"
#include "recorder/AudioDataOutput.h"
#include "recorder/AudioWriterInput.h"
#include "recorder/CaptureDeviceInput.h"
#include "recorder/CaptureSession.h"
#include "recorder/CaptureTimestamps.h"
#include "recorder/MediaWriter.h"

#include <QMediaDevices>

#include <algorithm>
#include <chrono>
#include <cmath>

using recorder::MediaWriter;

namespace {

// Sound delivered before writing starts is lost, so the wait for the first buffer ends as it arrives.
constexpr std::chrono::seconds kFirstBufferWait{6};
// At the end, what the microphone heard before the last frame ended arrives its latency later (tens of
// milliseconds); a microphone gone quiet must not hold the stop up for long.
constexpr std::chrono::milliseconds kTailWait{300};
constexpr double kCaptureSampleRate = 44100;  // Hz
constexpr std::uint32_t kMaxCaptureChannels = 2;
constexpr std::int32_t kAudioBitRate = 128000;  // bit/s
// Longer than this without new sound is worth telling the user about.
constexpr std::int64_t kMicrophoneSilenceMicros = 2'000'000;

std::int64_t startMicrosOf(const AudioSampleBuffer &buffer) {
    return CMTimeGetMicros(buffer.presentationTime);
}

std::int64_t endMicrosOf(const AudioSampleBuffer &buffer) {
    const double rate = buffer.format.mSampleRate;
    const double length = rate > 0 ? buffer.frameCount() * 1e6 / rate : 0;
    return startMicrosOf(buffer) + std::llround(length);
}

}  // namespace

MicrophoneTrack::MicrophoneTrack(Hooks hooks) : hooks_(std::move(hooks)), startTime_(CMTimeMake(0, 0)) {}

MicrophoneTrack::~MicrophoneTrack() = default;

void MicrophoneTrack::setWriter(std::shared_ptr<MediaWriter> writer) {
    std::lock_guard lock(mutex_);
    writer_ = std::move(writer);
}

// --- opening

void MicrophoneTrack::open(Delegate deliver) {
    {
        std::lock_guard lock(mutex_);
        writingStarted_ = false;
        soundEndMicros_.reset();
        heardUntilMicros_ = 0;
    }
    if (!enabled_) return;
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    {
        std::lock_guard lock(mutex_);
        device_ = device;
    }
    if (device.isNull()) {
        deskcam::logLine("AVCaptureDevice defaultDeviceWithMediaType failed or device not connected!");
        return;
    }
    deskcam::logLine("Audio Device Name: %s", device.description().toStdString().c_str());
    const AudioStreamBasicDescription deviceFormat = recorder::descriptionOfFormat(device.preferredFormat());
    deskcam::logLine("Device Audio Format:");
    StreamBasicDescription(deviceFormat).Print();
    if (!openSession(device, deviceFormat.mChannelsPerFrame, std::move(deliver))) return;
    waitForFirstBuffer();
}

bool MicrophoneTrack::openSession(const QAudioDevice &device, std::uint32_t deviceChannels,
                                  Delegate deliver) {
    const std::uint32_t channels = std::min(deviceChannels, kMaxCaptureChannels);
    auto session = std::make_shared<recorder::CaptureSession>();
    {
        std::lock_guard lock(mutex_);
        session_ = session;
    }
    const auto input = openDeviceInput(device, channels);
    if (!input) return false;
    if (!session->canAddInput(input.get())) {
        deskcam::logLine("Could not addInput to Capture Session!");
        return false;
    }
    session->addInput(input);

    auto output = recorder::AudioDataOutput::create();
    if (!session->canAddOutput(output.get())) {
        deskcam::logLine("Could not addOutput to Capture Session!");
        return false;
    }
    session->addOutput(output);

    deskcam::logLine("AU Canonical Audio Format:");
    StreamBasicDescription(canonicalFormat(channels)).Print();
    output->setAudioSettings(input->format());
    deskcam::logLine("AVCaptureAudioDataOutput Audio Settings: %s", output->audioSettingsText().c_str());
    if (!deliverTo(output, std::move(deliver))) return false;
    session->startRunning();
    return true;
}

std::shared_ptr<recorder::CaptureDeviceInput> MicrophoneTrack::openDeviceInput(const QAudioDevice &device,
                                                                               std::uint32_t channels) {
    QAudioFormat captureFormat;
    captureFormat.setSampleRate(static_cast<int>(kCaptureSampleRate));
    captureFormat.setChannelCount(static_cast<int>(channels));
    captureFormat.setSampleFormat(QAudioFormat::Float);
    std::string error;
    std::shared_ptr<recorder::CaptureDeviceInput> input =
        recorder::CaptureDeviceInput::create(device, captureFormat, &error);
    {
        std::lock_guard lock(mutex_);
        input_ = input;
    }
    if (input) return input;
    // The recording thread waits here until the user has read it.
    if (hooks_.alert) {
        hooks_.alert(error);
    } else {
        deskcam::logLine("%s", error.c_str());
    }
    return nullptr;
}

AudioStreamBasicDescription MicrophoneTrack::canonicalFormat(std::uint32_t channels) {
    AudioStreamBasicDescription canonical;
    canonical.mSampleRate = kCaptureSampleRate;
    canonical.mFormatID = kAudioFormatLinearPCM;
    canonical.mFormatFlags =
        kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
    canonical.mBytesPerPacket = canonical.mBytesPerFrame = 4;
    canonical.mFramesPerPacket = 1;
    canonical.mChannelsPerFrame = channels;
    canonical.mBitsPerChannel = 32;
    return canonical;
}

bool MicrophoneTrack::deliverTo(const std::shared_ptr<recorder::AudioDataOutput> &output, Delegate deliver) {
    // One new queue per recording; the output keeps it alive.
    auto queue = dispatch::SerialQueue::create("AudioDataOutputQueue");
    if (!queue) {
        deskcam::logLine("dispatch_queue_create Failed!");
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        output_ = output;
    }
    output->setSampleBufferDelegate(std::move(deliver), std::move(queue));
    return true;
}

bool MicrophoneTrack::waitForFirstBuffer() {
    std::unique_lock lock(mutex_);
    // A stopped recording takes no more buffers, so there is nothing left to wait for.
    return trackAdded_.wait_for(lock, kFirstBufferWait, [this] {
        return track_ != nullptr || (hooks_.stopped && hooks_.stopped());
    }) && track_ != nullptr;
}

// --- the track and the start time

CMTime MicrophoneTrack::beginWriting(MediaWriter &writer) {
    std::lock_guard lock(mutex_);
    writingStarted_ = true;
    writer.startWriting();
    return startTime_;
}

void MicrophoneTrack::addTrack(std::int32_t channels, double samples) {
    std::lock_guard lock(mutex_);
    addTrackLocked(channels, samples);
}

void MicrophoneTrack::addTrackLocked(std::int32_t channels, double samples) {
    // A file being written cannot take a new track: a first buffer after the wait leaves it without sound.
    if (writingStarted_ || !writer_) return;
    track_ = writer_->addAudioInput(recorder::AudioSettings{channels, samples, kAudioBitRate});
    if (track_) trackAdded_.notify_all();
}

void MicrophoneTrack::captureOutput(recorder::AudioDataOutput *output, const AudioSampleBuffer &buffer) {
    {
        std::lock_guard lock(mutex_);
        if (output != output_.get()) return;
        // Stopped before writing: no sound. Once writing, the sound runs on to the last frame's end.
        if (!writingStarted_ && hooks_.stopped && hooks_.stopped()) return;
    }
    const PauseClock pauses = hooks_.pauses ? hooks_.pauses() : PauseClock();
    // Sound that arrives while paused is no sound the file misses.
    if (const auto arrival = pauses.fileMicros(CaptureTimestamps::nowMicros())) lastSoundMicros_ = *arrival;
    std::vector<AudioSampleBuffer> kept = outsidePauses(buffer, pauses);
    if (kept.empty()) return;
    const std::int64_t heardUntil = endMicrosOf(kept.back());
    const AudioStreamBasicDescription &format = buffer.format;
    {
        // Track and start time together, so the recording thread sees both once its wait ends.
        std::lock_guard lock(mutex_);
        if (!track_ && format.mSampleRate != 0 && format.mChannelsPerFrame != 0) {
            addTrackLocked(static_cast<std::int32_t>(format.mChannelsPerFrame), format.mSampleRate);
        }
        if (!CMTimeIsSet(startTime_) && !writingStarted_) startTime_ = kept.front().presentationTime;
        if (soundEndMicros_) cutAt(kept, *soundEndMicros_);
    }
    for (const AudioSampleBuffer &piece : kept) encodeFrame(piece, false);
    std::lock_guard lock(mutex_);
    heardUntilMicros_ = std::max(heardUntilMicros_, heardUntil);
    heard_.notify_all();
}

void MicrophoneTrack::cutAt(std::vector<AudioSampleBuffer> &pieces, std::int64_t endMicros) {
    std::erase_if(pieces,
                  [endMicros](const AudioSampleBuffer &piece) { return startMicrosOf(piece) >= endMicros; });
    for (AudioSampleBuffer &piece : pieces) {
        if (endMicrosOf(piece) <= endMicros) continue;
        const auto frames =
            std::llround(double(endMicros - startMicrosOf(piece)) * piece.format.mSampleRate / 1e6);
        piece.data.resize(std::size_t(std::max<long long>(frames, 0)) * piece.format.mBytesPerFrame);
    }
}

std::vector<AudioSampleBuffer> MicrophoneTrack::outsidePauses(const AudioSampleBuffer &buffer,
                                                              const PauseClock &pauses) {
    const double rate = buffer.format.mSampleRate;
    const std::uint32_t frames = buffer.frameCount();
    const CMTime &time = buffer.presentationTime;
    if (pauses.neverPaused() || rate <= 0 || frames == 0 || time.timescale <= 0) return {buffer};
    const std::int64_t start = startMicrosOf(buffer);
    const auto frameAt = [&](std::int64_t micros) {
        return std::clamp<std::int64_t>(std::llround(double(micros - start) * rate / 1e6), 0, frames);
    };
    std::vector<AudioSampleBuffer> kept;
    for (const PauseClock::Piece &piece : pauses.pieces(start, start + std::llround(frames * 1e6 / rate))) {
        const std::int64_t first = frameAt(piece.captureStart), end = frameAt(piece.captureEnd);
        if (end <= first) continue;
        AudioSampleBuffer part;
        part.format = buffer.format;
        part.dataReady = buffer.dataReady;
        part.presentationTime = CMTimeMake(piece.fileStart, CaptureTimestamps::kTimescale);
        const std::size_t bytes = buffer.format.mBytesPerFrame;
        part.data.assign(buffer.data.begin() + static_cast<std::ptrdiff_t>(first * bytes),
                         buffer.data.begin() + static_cast<std::ptrdiff_t>(end * bytes));
        kept.push_back(std::move(part));
    }
    return kept;
}

bool MicrophoneTrack::encodeFrame(const AudioSampleBuffer &buffer, bool isVideo) {
    if (!buffer.dataReady) return false;
    if (isVideo) {
        deskcam::logLine("** isVideo is true.\r\n");
        return false;
    }
    const auto input = track();
    if (!input || !input->isReadyForMoreMediaData()) return false;
    input->appendSampleBuffer(buffer);
    return true;
}

// --- the end

void MicrophoneTrack::release() {
    std::lock_guard lock(mutex_);
    captureQueue_.reset();
    output_.reset();
    input_.reset();
    device_.reset();
    startTime_ = CMTimeMake(0, 0);
    trackAdded_.notify_all();
}

bool MicrophoneTrack::writingStarted() const {
    std::lock_guard lock(mutex_);
    return writingStarted_;
}

void MicrophoneTrack::releaseAt(std::int64_t endMicros) {
    {
        std::unique_lock lock(mutex_);
        soundEndMicros_ = endMicros;
        if (track_ && output_)
            heard_.wait_for(lock, kTailWait, [&] { return heardUntilMicros_ >= endMicros || !output_; });
    }
    release();
}

void MicrophoneTrack::finish() {
    if (const auto running = session()) running->stopRunning();
    if (const auto input = track()) input->markAsFinished();
}

void MicrophoneTrack::dropTrack() {
    std::lock_guard lock(mutex_);
    track_.reset();
}

// --- silence

void MicrophoneTrack::startWatching(std::int64_t startMicros) {
    if (track()) watch_.emplace(kMicrophoneSilenceMicros, std::max(startMicros, lastSoundMicros_.load()));
}

void MicrophoneTrack::watch(std::int64_t nowMicros) {
    if (!watch_) return;
    watch_->delivered(lastSoundMicros_.load());
    watch_->check(nowMicros);
}

std::vector<SilenceWatch::Spell> MicrophoneTrack::silences() const {
    return watch_ ? watch_->spells() : std::vector<SilenceWatch::Spell>{};
}

// --- accessors

CMTime MicrophoneTrack::startTime() const {
    std::lock_guard lock(mutex_);
    return startTime_;
}

void MicrophoneTrack::setStartTime(const CMTime &time) {
    std::lock_guard lock(mutex_);
    startTime_ = time;
}

std::shared_ptr<recorder::AudioWriterInput> MicrophoneTrack::track() const {
    std::lock_guard lock(mutex_);
    return track_;
}

std::shared_ptr<recorder::CaptureSession> MicrophoneTrack::session() const {
    std::lock_guard lock(mutex_);
    return session_;
}

std::shared_ptr<recorder::AudioDataOutput> MicrophoneTrack::output() const {
    std::lock_guard lock(mutex_);
    return output_;
}

void MicrophoneTrack::setOutput(std::shared_ptr<recorder::AudioDataOutput> output) {
    std::lock_guard lock(mutex_);
    output_ = std::move(output);
}

std::shared_ptr<dispatch::SerialQueue> MicrophoneTrack::captureQueue() {
    std::lock_guard lock(mutex_);
    if (!captureQueue_) captureQueue_ = dispatch::SerialQueue::create("cn.zelkor.mivt.macapp");
    return captureQueue_;
}
