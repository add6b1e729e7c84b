#include "recorder/RVImagesToVideo.h"

#include "base/Log.h"
#include "dispatch/SerialQueue.h"
#include "recorder/AudioDataOutput.h"
#include "recorder/AudioWriterInput.h"
#include "recorder/CaptureDeviceInput.h"
#include "recorder/CaptureSession.h"
#include "recorder/CaptureTimestamps.h"
#include "recorder/MediaWriter.h"
#include "recorder/StreamBasicDescription.h"
#include "recorder/VideoWriterInput.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QMediaDevices>
#include <QStandardPaths>

#include <sys/time.h>
#include <unistd.h>

#include <algorithm>

using recorder::MediaWriter;
using recorder::WriterStatus;

namespace {

constexpr useconds_t kPacingSleep = 2000;  // microseconds between passes of the frame loop
// Sound delivered before writing starts is lost, so the first buffer is looked for often: every 10 ms
// rather than every 200 ms keeps the file's sound from starting up to a fifth of a second after its picture.
constexpr useconds_t kFirstBufferPoll = 10000;  // microseconds between looks for the first buffer
constexpr int kFirstBufferPolls = 600;          // 6 seconds in all
constexpr double kCaptureSampleRate = 44100;    // Hz
constexpr std::uint32_t kMaxCaptureChannels = 2;
constexpr std::int32_t kAudioBitRate = 128000;  // bit/s
constexpr QSizeF kDefaultSize{800, 600};        // convenience entry points
constexpr std::int32_t kDefaultFps = 1;
// Longer than this without a new picture or new sound is worth telling the user about.
constexpr std::int64_t kCameraSilenceMicros = 3'000'000;
constexpr std::int64_t kMicrophoneSilenceMicros = 2'000'000;

struct WallClock {
    std::int64_t seconds = 0;
    std::int64_t micros = 0;
};

WallClock wallClockNow() {
    timeval now{};
    gettimeofday(&now, nullptr);
    return WallClock{now.tv_sec, now.tv_usec};
}

// Below 50 the JPEG reader uses the fast integer transform and plain chroma upsampling. The track takes
// 4:2:0 chroma again, so the finer upsampling would be thrown away; this saves a fifth of the decode.
constexpr int kFastDecodeQuality = 49;

QImage decodeJpeg(const std::vector<std::uint8_t> &bytes) {
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char *>(bytes.data()),
                                                    static_cast<qsizetype>(bytes.size()));
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "JPG");
    reader.setQuality(kFastDecodeQuality);
    return reader.read();
}

std::int64_t microsOf(const CMTime &time) {
    return time.timescale == CaptureTimestamps::kTimescale
               ? time.value
               : static_cast<std::int64_t>(static_cast<long double>(time.value) * 1e6 / time.timescale);
}

}  // namespace

// --- creation and set-up

std::shared_ptr<RVImagesToVideo> RVImagesToVideo::create() {
    return std::make_shared<RVImagesToVideo>();
}

RVImagesToVideo::RVImagesToVideo() : frameSource_(defaultFrameSource()), startTime_(CMTimeMake(0, 0)) {}

RVImagesToVideo::~RVImagesToVideo() = default;

void RVImagesToVideo::setFrameSource(FrameSource source) {
    frameSource_ = std::move(source);
}

void RVImagesToVideo::setMicrophoneEnabled(bool enabled) {
    microphoneEnabled_ = enabled;
}

void RVImagesToVideo::setAlertPresenter(AlertPresenter presenter) {
    alertPresenter_ = std::move(presenter);
}

void RVImagesToVideo::setStillWanted(std::function<bool()> stillWanted) {
    stillWanted_ = std::move(stillWanted);
}

bool RVImagesToVideo::stopRequested() const {
    return bStop_ || (stillWanted_ && !stillWanted_());
}

// --- the recording call

void RVImagesToVideo::writeImageAsMovie(const std::vector<QImage> &, const std::string &path, QSizeF size,
                                        std::int32_t fps, bool, CallbackBlock callback) {
    bStop_ = false;
    deskcam::logLine("%s", path.c_str());
    if (!setUpWriter(path, size, fps)) {
        {
            std::lock_guard lock(mutex_);
            report_.outcome = Report::Outcome::NotStarted;
            report_.path = path;
            report_.failure = setUpFailure_;
        }
        if (callback) callback(false);
        return;
    }
    openScratchFile();
    initAudioDevice();
    startWritingSession();
    if (!stopRequested()) runFrameLoop(fps);
    finishRecording(std::move(callback));
}

bool RVImagesToVideo::setUpWriter(const std::string &path, QSizeF size, std::int32_t fps) {
    {
        std::lock_guard lock(mutex_);
        videoWriter_.reset();
    }
    // A rate below 1 has no frame interval (and 1000 / (fps + 1) would divide by zero at -1).
    if (fps < 1) {
        setUpFailure_ = "Could not record at " + std::to_string(fps) + " frames per second";
        deskcam::logLine("%s", setUpFailure_.c_str());
        return false;
    }
    auto writer = MediaWriter::create(path, &setUpFailure_);
    if (!writer) {
        deskcam::logLine("%s", setUpFailure_.c_str());
        return false;
    }
    writer->setShouldOptimizeForNetworkUse(true);
    auto input = writer->addVideoInput(
        recorder::VideoSettings{static_cast<int>(size.width()), static_cast<int>(size.height()), fps});
    if (!input) {
        // Without a video track there is no recording; leave no empty file behind.
        setUpFailure_ = "Could not add a video track of the picture's size";
        writer.reset();
        QFile::remove(QString::fromStdString(path));
        return false;
    }
    std::lock_guard lock(mutex_);
    videoWriter_ = std::move(writer);
    writerInput_ = std::move(input);
    return true;
}

void RVImagesToVideo::openScratchFile() {
    const QDir documents(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    const QString path = documents.filePath("abc.aac");
    QFile::remove(path);
    audioFileHandle_ = std::make_unique<QFile>(path);
    if (!audioFileHandle_->open(QIODevice::WriteOnly)) audioFileHandle_.reset();
}

void RVImagesToVideo::startWritingSession() {
    std::shared_ptr<MediaWriter> writer;
    CMTime start;
    {
        // Under the lock, so the microphone cannot add its track between the two.
        std::lock_guard lock(mutex_);
        writingStarted_ = true;
        writer = videoWriter_;
        writer->startWriting();
        start = startTime_;
    }
    // Taken once: neither a late first buffer nor doStop may move the frames' time line afterwards.
    sessionStart_ = CMTimeIsSet(start) ? start : CMTime{};
    writer->startSessionAtSourceTime(sessionStart_);
}

// --- the frame loop

void RVImagesToVideo::runFrameLoop(std::int32_t fps) {
    // Frame slots count on the capture clock from the start time, so video time follows the clock that
    // stamps the sound; without sound, from now.
    const std::int64_t anchorMicros =
        CMTimeIsSet(sessionStart_) ? microsOf(sessionStart_) : CaptureTimestamps::nowMicros();
    {
        std::lock_guard lock(mutex_);
        statistics_.startMicros = anchorMicros;
    }
    fps_ = fps;
    anchorMicros_ = anchorMicros;
    const std::int64_t loopStartMicros = CaptureTimestamps::nowMicros();
    cameraWatch_.emplace(kCameraSilenceMicros, loopStartMicros);
    if (audioInput()) {
        microphoneWatch_.emplace(kMicrophoneSilenceMicros,
                                 std::max(loopStartMicros, lastSoundMicros_.load()));
    }
    WallClock lastTick = wallClockNow();
    int ticksThisSecond = 0;
    const auto writer = videoWriter();
    for (;;) {
        const std::int64_t nowMicros = CaptureTimestamps::nowMicros();
        // A frame is taken when the clock reaches its slot, so ticks stay in step with the slots instead of
        // falling behind them by the sleeps' overshoot and leaving a slot out every few seconds.
        if (nowMicros < anchorMicros + frameCounter_ * 1'000'000 / fps) {
            usleep(kPacingSleep);
        } else if (stopRequested()) {
            break;
        } else {
            tick(fps, anchorMicros, nowMicros);
            const WallClock now = wallClockNow();
            if (now.seconds == lastTick.seconds) {
                ++ticksThisSecond;
            } else {
                deskcam::logLine("******统计：%d\r\n", ticksThisSecond);
                ticksThisSecond = 1;
            }
            lastTick = now;
        }
        // A writer that failed takes nothing more: the recording ends by itself.
        if (bStop_ || writer->status() == WriterStatus::Failed) break;
    }
}

void RVImagesToVideo::tick(std::int32_t fps, std::int64_t anchorMicros, std::int64_t nowMicros) {
    const std::int64_t slot = std::max<std::int64_t>(0, (nowMicros - anchorMicros) * fps / 1000000);
    // A tick that comes late skips the slots that went by, so video keeps pace with the sound. The first
    // frame fills them with its picture instead: the picture covers the whole recording, without a hole.
    const bool first = frameCounter_ == 0;
    const std::int64_t last = std::max(frameCounter_, slot);
    {
        std::lock_guard lock(mutex_);
        ++statistics_.ticks;
        if (!first && last > frameCounter_) {
            ++statistics_.lateTicks;
            statistics_.skippedSlots += static_cast<std::uint64_t>(last - frameCounter_);
        }
    }
    if (!first) frameCounter_ = last;
    QImage picture = latestPicture(nowMicros);
    if (pictureTransform_ && !picture.isNull()) picture = pictureTransform_(picture);
    watchSources(nowMicros);
    if (picture.isNull()) {
        deskcam::logLine("[Error]: writeImageAsMovie() - ns_image is nil.\r\n");
        ++frameCounter_;
        return;
    }
    // The one place where the camera's picture becomes the track's frame.
    const QImage pixelBuffer = newPixelBufferFromNSImage(picture);
    for (; frameCounter_ <= last; ++frameCounter_) appendFrame(pixelBuffer, fps);
}

void RVImagesToVideo::appendFrame(const QImage &pixelBuffer, std::int32_t fps) {
    const CMTime frameTime = CMTimeAdd(CMTimeMake(frameCounter_, fps), sessionStart_);
    current_video_time_ = frameTime;
    const auto input = writerInput();
    if (!appendToAdapter(*input, pixelBuffer, frameTime)) return;
    framesInTrack_ = frameCounter_ + 1;
    std::lock_guard lock(mutex_);
    ++statistics_.framesAppended;
}

void RVImagesToVideo::watchSources(std::int64_t nowMicros) {
    cameraWatch_->check(nowMicros);
    if (!microphoneWatch_) return;
    microphoneWatch_->delivered(lastSoundMicros_.load());
    microphoneWatch_->check(nowMicros);
}

QImage RVImagesToVideo::latestPicture(std::int64_t nowMicros) {
    const FrameBytes bytes = frameSource_ ? frameSource_() : nullptr;
    // The receiver shares one immutable buffer per picture: the same buffer is the same picture, already
    // decoded last tick.
    if (bytes && !bytes->empty() && bytes != lastBytes_) {
        cameraWatch_->delivered(nowMicros);
        lastBytes_ = bytes;
        lastPicture_ = decodeJpeg(*bytes);
        std::lock_guard lock(mutex_);
        ++statistics_.decodes;
    }
    return lastPicture_;
}

QImage RVImagesToVideo::newPixelBufferFromNSImage(const QImage &picture) {
    if (picture.format() == QImage::Format_RGB32) return picture;
    return picture.convertToFormat(QImage::Format_RGB32);
}

bool RVImagesToVideo::appendToAdapter(recorder::VideoWriterInput &input, const QImage &pixelBuffer,
                                      const CMTime &time) {
    const auto writer = videoWriter();
    while (!input.isReadyForMoreMediaData()) {
        if (bStop_ || !writer || writer->status() != WriterStatus::Writing) return false;
        usleep(kPacingSleep);
    }
    return input.appendPixelBuffer(pixelBuffer, time);
}

// --- finishing

void RVImagesToVideo::finishRecording(CallbackBlock callback) {
    if (const auto session = captureSession()) session->stopRunning();
    if (const auto input = writerInput()) input->markAsFinished();
    if (const auto input = audioInput()) input->markAsFinished();
    const auto writer = videoWriter();
    writer->finishWriting(
        [self = shared_from_this(), callback = std::move(callback)] { self->completeRecording(callback); });
}

void RVImagesToVideo::completeRecording(const CallbackBlock &callback) {
    const auto writer = videoWriter();
    const WriterStatus status = writer->status();
    if (status == WriterStatus::Completed) {
        deskcam::logLine("Successfully closed video writer");
    } else {
        deskcam::logLine("Return unknown when close video writer,%ld", static_cast<long>(status));
    }
    const Report report = finalReport(*writer);
    {
        std::lock_guard lock(mutex_);
        report_ = report;
    }
    if (callback) callback(report.outcome == Report::Outcome::Saved);
    audioFileHandle_.reset();
    deskcam::logLine("Done");
    std::lock_guard lock(mutex_);
    writerInput_.reset();
    audioInput_.reset();
    videoWriter_.reset();
}

RVImagesToVideo::Report RVImagesToVideo::finalReport(const MediaWriter &writer) const {
    Report report;
    report.path = writer.path();
    report.seconds = fps_ > 0 ? static_cast<double>(framesInTrack_) / fps_ : 0;
    report.cameraSilences = spellsOf(cameraWatch_);
    report.microphoneSilences = spellsOf(microphoneWatch_);
    const bool completed = writer.status() == WriterStatus::Completed;
    const bool hasFrames =
        framesInTrack_ > 0 &&
        (completed ? QFile::exists(QString::fromStdString(writer.path())) : writer.holdsMedia());
    if (!completed) {
        report.outcome = Report::Outcome::WriteFailed;
        report.diskFull = writer.failedForLackOfSpace();
        report.failure = recorder::errorText(writer.failureCode());
    } else {
        report.outcome = hasFrames ? Report::Outcome::Saved : Report::Outcome::NothingRecorded;
    }
    // A file without a single frame is no recording.
    if (!hasFrames) QFile::remove(QString::fromStdString(writer.path()));
    return report;
}

std::string RVImagesToVideo::Report::timeText(double seconds) {
    const auto whole = static_cast<long>(std::max(0.0, seconds));
    const long hours = whole / 3600, minutes = whole / 60 % 60, rest = whole % 60;
    char text[32];
    if (hours > 0) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", hours, minutes, rest);
    } else {
        std::snprintf(text, sizeof text, "%ld:%02ld", minutes, rest);
    }
    return text;
}

std::vector<RVImagesToVideo::Report::Spell> RVImagesToVideo::spellsOf(
    const std::optional<SilenceWatch> &watch) const {
    std::vector<Report::Spell> spells;
    if (!watch) return spells;
    const auto secondsIn = [this](std::int64_t micros) {
        return std::max(0.0, static_cast<double>(micros - anchorMicros_) / 1e6);
    };
    for (const SilenceWatch::Spell &spell : watch->spells()) {
        Report::Spell seconds{secondsIn(spell.startMicros), std::nullopt};
        if (spell.endMicros) seconds.end = secondsIn(*spell.endMicros);
        spells.push_back(seconds);
    }
    return spells;
}

void RVImagesToVideo::abandonFinishing() {
    if (const auto writer = videoWriter()) writer->abandonRewrite();
}

void RVImagesToVideo::doStop() {
    bStop_ = true;
    std::lock_guard lock(mutex_);
    captureQueue_.reset();
    captureAudioMicDataOutput_.reset();
    audioMicInput_.reset();
    audioMicDevice_.reset();
    startTime_ = CMTimeMake(0, 0);
}

// --- the microphone

void RVImagesToVideo::initAudioDevice() {
    if (!microphoneEnabled_) return;
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    {
        std::lock_guard lock(mutex_);
        audioMicDevice_ = device;
    }
    if (device.isNull()) {
        deskcam::logLine("AVCaptureDevice defaultDeviceWithMediaType failed or device not connected!");
        return;
    }
    deskcam::logLine("Audio Device Name: %s", device.description().toStdString().c_str());
    const AudioStreamBasicDescription deviceFormat = recorder::descriptionOfFormat(device.preferredFormat());
    deskcam::logLine("Device Audio Format:");
    StreamBasicDescription(deviceFormat).Print();
    if (!openCaptureSession(device, deviceFormat.mChannelsPerFrame)) return;
    waitForFirstAudioBuffer();
}

bool RVImagesToVideo::openCaptureSession(const QAudioDevice &device, std::uint32_t deviceChannels) {
    const std::uint32_t channels = std::min(deviceChannels, kMaxCaptureChannels);
    auto session = std::make_shared<recorder::CaptureSession>();
    if (!session) {
        deskcam::logLine("AVCaptureSession allocation failed!");
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        captureSession_ = session;
    }
    const auto input = openDeviceInput(device, channels);
    if (!input) return false;
    if (!session->canAddInput(input.get())) {
        deskcam::logLine("Could not addInput to Capture Session!");
        return false;
    }
    session->addInput(input);

    auto output = recorder::AudioDataOutput::create();
    if (!output) {
        deskcam::logLine("Could not create AVCaptureAudioDataOutput!");
        return false;
    }
    if (!session->canAddOutput(output.get())) {
        deskcam::logLine("Could not addOutput to Capture Session!");
        return false;
    }
    session->addOutput(output);

    deskcam::logLine("AU Canonical Audio Format:");
    StreamBasicDescription(canonicalFormat(channels)).Print();
    output->setAudioSettings(input->format());
    deskcam::logLine("AVCaptureAudioDataOutput Audio Settings: %s", output->audioSettingsText().c_str());
    if (!deliverTo(output)) return false;
    session->startRunning();
    return true;
}

std::shared_ptr<recorder::CaptureDeviceInput> RVImagesToVideo::openDeviceInput(const QAudioDevice &device,
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
        audioMicInput_ = input;
    }
    if (input) return input;
    // The recording thread waits here until the user has read it.
    if (alertPresenter_) {
        alertPresenter_(error);
    } else {
        deskcam::logLine("%s", error.c_str());
    }
    return nullptr;
}

AudioStreamBasicDescription RVImagesToVideo::canonicalFormat(std::uint32_t channels) {
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

bool RVImagesToVideo::deliverTo(const std::shared_ptr<recorder::AudioDataOutput> &output) {
    // One new queue per recording; the output keeps it alive.
    auto queue = dispatch::SerialQueue::create("AudioDataOutputQueue");
    if (!queue) {
        deskcam::logLine("dispatch_queue_create Failed!");
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        captureAudioMicDataOutput_ = output;
    }
    output->setSampleBufferDelegate(
        [weak = weak_from_this()](recorder::AudioDataOutput *from, const AudioSampleBuffer &buffer) {
            if (const auto self = weak.lock()) self->captureOutput(from, buffer);
        },
        std::move(queue));
    return true;
}

bool RVImagesToVideo::waitForFirstAudioBuffer() {
    for (int poll = 0; poll < kFirstBufferPolls; ++poll) {
        if (audioInput()) return true;
        usleep(kFirstBufferPoll);
    }
    return audioInput() != nullptr;
}

void RVImagesToVideo::initAudioInputChannels(std::int32_t channels, double samples) {
    std::lock_guard lock(mutex_);
    addAudioTrackLocked(channels, samples);
}

void RVImagesToVideo::addAudioTrackLocked(std::int32_t channels, double samples) {
    // A file being written cannot take a new track: a first buffer after the wait leaves it without sound.
    if (writingStarted_ || !videoWriter_) return;
    audioInput_ = videoWriter_->addAudioInput(recorder::AudioSettings{channels, samples, kAudioBitRate});
}

void RVImagesToVideo::captureOutput(recorder::AudioDataOutput *output, const AudioSampleBuffer &buffer) {
    {
        std::lock_guard lock(mutex_);
        if (output != captureAudioMicDataOutput_.get()) return;
    }
    if (bStop_) return;
    lastSoundMicros_ = CaptureTimestamps::nowMicros();
    const AudioStreamBasicDescription &format = buffer.format;
    {
        // Track and start time together, so the recording thread sees both once its wait ends.
        std::lock_guard lock(mutex_);
        if (!audioInput_ && format.mSampleRate != 0 && format.mChannelsPerFrame != 0) {
            addAudioTrackLocked(static_cast<std::int32_t>(format.mChannelsPerFrame), format.mSampleRate);
        }
        if (!CMTimeIsSet(startTime_) && !writingStarted_) startTime_ = buffer.presentationTime;
    }
    encodeFrame(buffer, false);
}

bool RVImagesToVideo::encodeFrame(const AudioSampleBuffer &buffer, bool isVideo) {
    if (!buffer.dataReady) return false;
    if (isVideo) {
        deskcam::logLine("** isVideo is true.\r\n");
        return false;
    }
    const auto input = audioInput();
    if (!input || !input->isReadyForMoreMediaData()) return false;
    input->appendSampleBuffer(buffer);
    return true;
}

AudioSampleBuffer RVImagesToVideo::adjustTime(const AudioSampleBuffer &buffer, const CMTime &offset) {
    AudioSampleBuffer adjusted = buffer;
    adjusted.presentationTime = CMTimeSubtract(buffer.presentationTime, offset);
    return adjusted;
}

// --- convenience entry points

void RVImagesToVideo::videoFromImages(const std::vector<QImage> &images, const std::string &path,
                                      CallbackBlock callback) {
    videoFromImages(images, path, kDefaultSize, kDefaultFps, true, std::move(callback));
}

void RVImagesToVideo::videoFromImages(const std::vector<QImage> &images, const std::string &path,
                                      bool animateTransitions, CallbackBlock callback) {
    videoFromImages(images, path, kDefaultSize, kDefaultFps, animateTransitions, std::move(callback));
}

void RVImagesToVideo::videoFromImages(const std::vector<QImage> &images, const std::string &path,
                                      std::int32_t fps, bool animateTransitions, CallbackBlock callback) {
    videoFromImages(images, path, kDefaultSize, fps, animateTransitions, std::move(callback));
}

void RVImagesToVideo::videoFromImages(const std::vector<QImage> &images, const std::string &path, QSizeF size,
                                      bool animateTransitions, CallbackBlock callback) {
    videoFromImages(images, path, size, kDefaultFps, animateTransitions, std::move(callback));
}

void RVImagesToVideo::videoFromImages(const std::vector<QImage> &images, const std::string &path, QSizeF size,
                                      std::int32_t fps, bool animateTransitions, CallbackBlock callback) {
    writeImageAsMovie(images, path, size, fps, animateTransitions, std::move(callback));
}

void RVImagesToVideo::saveVideoToPhotosWithImages(const std::vector<QImage> &images, CallbackBlock callback) {
    saveVideoToPhotosWithImages(images, kDefaultSize, true, std::move(callback));
}

void RVImagesToVideo::saveVideoToPhotosWithImages(const std::vector<QImage> &images, bool animateTransitions,
                                                  CallbackBlock callback) {
    saveVideoToPhotosWithImages(images, kDefaultSize, animateTransitions, std::move(callback));
}

void RVImagesToVideo::saveVideoToPhotosWithImages(const std::vector<QImage> &images, QSizeF size,
                                                  bool animateTransitions, CallbackBlock callback) {
    saveVideoToPhotosWithImages(images, size, kDefaultFps, animateTransitions, std::move(callback));
}

void RVImagesToVideo::saveVideoToPhotosWithImages(const std::vector<QImage> &images, std::int32_t fps,
                                                  bool animateTransitions, CallbackBlock callback) {
    saveVideoToPhotosWithImages(images, kDefaultSize, fps, animateTransitions, std::move(callback));
}

void RVImagesToVideo::saveVideoToPhotosWithImages(const std::vector<QImage> &images, QSizeF size,
                                                  std::int32_t fps, bool animateTransitions,
                                                  CallbackBlock callback) {
    const QString path = QDir(QDir::tempPath()).filePath("temp.mp4");
    QFile::remove(path);
    videoFromImages(images, path.toStdString(), size, fps, animateTransitions,
                    [callback = std::move(callback)](bool finished) {
                        if (callback) callback(finished);
                    });
}

// --- accessors

CMTime RVImagesToVideo::startTime() const {
    std::lock_guard lock(mutex_);
    return startTime_;
}

void RVImagesToVideo::setStartTime(const CMTime &time) {
    std::lock_guard lock(mutex_);
    startTime_ = time;
}

std::shared_ptr<MediaWriter> RVImagesToVideo::videoWriter() const {
    std::lock_guard lock(mutex_);
    return videoWriter_;
}

std::shared_ptr<recorder::VideoWriterInput> RVImagesToVideo::writerInput() const {
    std::lock_guard lock(mutex_);
    return writerInput_;
}

std::shared_ptr<recorder::AudioWriterInput> RVImagesToVideo::audioInput() const {
    std::lock_guard lock(mutex_);
    return audioInput_;
}

std::shared_ptr<recorder::CaptureSession> RVImagesToVideo::captureSession() const {
    std::lock_guard lock(mutex_);
    return captureSession_;
}

std::shared_ptr<recorder::AudioDataOutput> RVImagesToVideo::captureAudioMicDataOutput() const {
    std::lock_guard lock(mutex_);
    return captureAudioMicDataOutput_;
}

void RVImagesToVideo::setCaptureAudioMicDataOutput(std::shared_ptr<recorder::AudioDataOutput> output) {
    std::lock_guard lock(mutex_);
    captureAudioMicDataOutput_ = std::move(output);
}

void RVImagesToVideo::setVideoWriter(std::shared_ptr<MediaWriter> writer) {
    std::lock_guard lock(mutex_);
    videoWriter_ = std::move(writer);
}

std::shared_ptr<dispatch::SerialQueue> RVImagesToVideo::captureQueue() {
    std::lock_guard lock(mutex_);
    if (!captureQueue_) captureQueue_ = dispatch::SerialQueue::create("cn.zelkor.mivt.macapp");
    return captureQueue_;
}

RVImagesToVideo::Statistics RVImagesToVideo::statistics() const {
    std::lock_guard lock(mutex_);
    return statistics_;
}

RVImagesToVideo::Report RVImagesToVideo::report() const {
    std::lock_guard lock(mutex_);
    return report_;
}
