#include "recorder/RVImagesToVideo.h"

#include "base/Log.h"
#include "recorder/CaptureTimestamps.h"
#include "recorder/FrameSchedule.h"
#include "recorder/MediaWriter.h"
#include "recorder/VideoWriterInput.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <sys/time.h>

#include <chrono>
#include <filesystem>

using recorder::MediaWriter;
using recorder::WriterStatus;

namespace {

// An encoder held up (by the disk, say) still lets a stopped recording end within this.
constexpr std::chrono::milliseconds kStopCheck{50};

// Logs how many ticks each wall-clock second had, as the next one begins.
class TicksPerSecond {
  public:
    void ticked() {
        const std::int64_t second = wallSecond();
        if (second == second_) {
            ++count_;
        } else {
            deskcam::logLine("******统计：%d\r\n", count_);
            count_ = 1;
        }
        second_ = second;
    }

  private:
    static std::int64_t wallSecond() {
        timeval now{};
        gettimeofday(&now, nullptr);
        return now.tv_sec;
    }

    std::int64_t second_ = wallSecond();
    int count_ = 0;
};

}  // namespace

// --- creation and set-up

std::shared_ptr<RVImagesToVideo> RVImagesToVideo::create() {
    return std::make_shared<RVImagesToVideo>();
}

RVImagesToVideo::RVImagesToVideo()
    : microphone_(MicrophoneTrack::Hooks{[this] { return bStop_.load(); }, nullptr,
                                         [this] {
                                             std::lock_guard lock(stopMutex_);
                                             return pauseClock_;
                                         }}) {
    sampler_.setFrameSource(defaultFrameSource());
}

RVImagesToVideo::~RVImagesToVideo() = default;

void RVImagesToVideo::setFrameSource(FrameSource source) {
    sampler_.setFrameSource(std::move(source));
}

void RVImagesToVideo::setMicrophoneEnabled(bool enabled) {
    microphone_.setEnabled(enabled);
}

void RVImagesToVideo::setAlertPresenter(AlertPresenter presenter) {
    microphone_.setAlertPresenter(std::move(presenter));
}

void RVImagesToVideo::setStillWanted(std::function<bool()> stillWanted) {
    stillWanted_ = std::move(stillWanted);
}

// --- the recording call

void RVImagesToVideo::writeImageAsMovie(const std::vector<QImage> &, const std::string &path, QSizeF size,
                                        std::int32_t fps, bool, CallbackBlock callback) {
    {
        std::lock_guard lock(stopMutex_);
        bStop_ = false;
        // The pauses of an earlier recording by this object are not this one's.
        if (ended_) pauseClock_ = PauseClock();
        ended_ = false;
    }
    fileGoneAt_.reset();
    deskcam::logLine("%s", path.c_str());
    if (!openWriter(path, size, fps)) {
        endPause();
        setReport(Report::notStarted(path, setUpFailure_));
        if (callback) callback(false);
        return;
    }
    openScratchFile();
    initAudioDevice();
    startWriting();
    if (!stopRequested()) runFrameLoop(fps);
    finishRecording(std::move(callback));
}

QSize RVImagesToVideo::boundedVideoSize(QSizeF size) {
    const double longest = std::max(size.width(), size.height());
    const double scale = longest > kMaxVideoSide ? kMaxVideoSide / longest : 1.0;
    const auto side = [scale](double length) { return std::max(0, int(length * scale)); };
    return {side(size.width()), side(size.height())};
}

bool RVImagesToVideo::openWriter(const std::string &path, QSizeF cameraSize, std::int32_t fps) {
    const QSize size = boundedVideoSize(cameraSize);
    if (size != QSize(int(cameraSize.width()), int(cameraSize.height())))
        deskcam::logLine("Recording at %dx%d: the camera's %.0fx%.0f is beyond the %d pixels a side recorded",
                         size.width(), size.height(), cameraSize.width(), cameraSize.height(), kMaxVideoSide);
    setVideoWriter(nullptr);
    // A rate below 1 has no frame interval.
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
    microphone_.setWriter(writer);
    sampler_.setOutputSize(size);
    std::lock_guard lock(writerMutex_);
    videoWriter_ = std::move(writer);
    writerInput_ = std::move(input);
    return true;
}

void RVImagesToVideo::openScratchFile() {
    // Private (0600, a name of its own) and removed with the handle: a fixed name in the Documents folder
    // emptied whatever file of the user's had that name and stayed behind.
    auto scratch =
        std::make_unique<QTemporaryFile>(QDir(QDir::tempPath()).filePath("deskcam-audio-XXXXXX.aac"));
    if (scratch->open()) audioFileHandle_ = std::move(scratch);
}

void RVImagesToVideo::initAudioDevice() {
    microphone_.open(delivery());
}

MicrophoneTrack::Delegate RVImagesToVideo::delivery() {
    return [weak = weak_from_this()](recorder::AudioDataOutput *from, const AudioSampleBuffer &buffer) {
        if (const auto self = weak.lock()) self->captureOutput(from, buffer);
    };
}

void RVImagesToVideo::captureOutput(recorder::AudioDataOutput *output, const AudioSampleBuffer &buffer) {
    microphone_.captureOutput(output, buffer);
}

void RVImagesToVideo::startWriting() {
    const auto writer = videoWriter();
    const CMTime start = microphone_.beginWriting(*writer);
    // Taken once: neither a late first buffer nor doStop may move the frames' time line afterwards.
    sessionStart_ = CMTimeIsSet(start) ? start : CMTime{};
    writer->startSessionAtSourceTime(sessionStart_);
}

// --- the frame loop

void RVImagesToVideo::runFrameLoop(std::int32_t fps) {
    // Frame slots count on the file's clock from the start time, so video time follows the clock that
    // stamps the sound; without sound, from now.
    anchorMicros_ = CMTimeIsSet(sessionStart_) ? CMTimeGetMicros(sessionStart_) : fileNowMicros();
    fps_ = fps;
    {
        std::lock_guard lock(statisticsMutex_);
        statistics_.startMicros = anchorMicros_;
    }
    const std::int64_t loopStartMicros = fileNowMicros();
    sampler_.start(loopStartMicros);
    microphone_.startWatching(loopStartMicros);
    FrameSchedule schedule(fps, anchorMicros_);
    TicksPerSecond ticksPerSecond;
    const auto writer = videoWriter();
    // A frame is taken when the clock reaches its slot, so ticks stay in step with the slots instead of
    // falling behind them by the waits' overshoot and leaving a slot out every few seconds.
    for (;;) {
        const std::optional<std::int64_t> nowMicros = waitForSlot(schedule.dueMicros());
        if (!nowMicros || stopRequested()) break;
        tick(schedule, *nowMicros);
        ticksPerSecond.ticked();
        // A writer that failed takes nothing more: the recording ends by itself.
        if (writer->status() == WriterStatus::Failed) break;
        if (schedule.counts().ticks % std::uint64_t(fps) == 0 && fileGone(writer->path())) break;
    }
}

// Writes into a file whose folder was removed go on without error, into a file nobody can reach: it is
// noticed once a second, and the recording ends there instead of losing more.
bool RVImagesToVideo::fileGone(const std::string &path) {
    std::error_code error;
    if (std::filesystem::exists(path, error) || error) return false;
    fileGoneAt_ = double(framesInTrack_) / fps_;
    deskcam::logLine("The recording %s is gone from the disk after %.1f s: stopping", path.c_str(),
                     *fileGoneAt_);
    return true;
}

std::optional<std::int64_t> RVImagesToVideo::waitForSlot(std::int64_t dueMicros) {
    std::unique_lock lock(stopMutex_);
    while (!bStop_) {
        if (pauseClock_.paused()) {
            stopChanged_.wait(lock);
            continue;
        }
        // Read again after every wake: a pause and resume in between move the slot's capture time.
        const std::int64_t due = pauseClock_.captureMicros(dueMicros);
        const std::int64_t now = CaptureTimestamps::nowMicros();
        if (now >= due) return now - pauseClock_.pausedMicros(now);
        stopChanged_.wait_until(lock, std::chrono::steady_clock::time_point{std::chrono::microseconds(due)});
    }
    return std::nullopt;
}

std::int64_t RVImagesToVideo::fileNowMicros() const {
    const std::int64_t now = CaptureTimestamps::nowMicros();
    std::lock_guard lock(stopMutex_);
    return now - pauseClock_.pausedMicros(now);
}

bool RVImagesToVideo::stopRequested() const {
    return bStop_ || (stillWanted_ && !stillWanted_());
}

void RVImagesToVideo::tick(FrameSchedule &schedule, std::int64_t nowMicros) {
    const FrameSchedule::Tick ticked = schedule.tick(nowMicros);
    // The one place where the camera's picture becomes the track's frame.
    const QImage pixelBuffer = sampler_.sample(nowMicros);
    microphone_.watch(nowMicros);
    std::uint64_t appended = 0;
    if (pixelBuffer.isNull()) {
        deskcam::logLine("[Error]: writeImageAsMovie() - ns_image is nil.\r\n");
        schedule.missed(ticked);
    } else {
        for (std::int64_t slot = ticked.firstSlot; slot <= ticked.lastSlot; ++slot) {
            if (appendFrame(pixelBuffer, slot)) ++appended;
        }
        schedule.filled(ticked);
    }
    std::lock_guard lock(statisticsMutex_);
    statistics_.ticks = schedule.counts().ticks;
    statistics_.lateTicks = schedule.counts().lateTicks;
    statistics_.skippedSlots = schedule.counts().skippedSlots;
    statistics_.decodes = sampler_.decodes();
    statistics_.framesAppended += appended;
}

bool RVImagesToVideo::appendFrame(const QImage &pixelBuffer, std::int64_t slot) {
    const CMTime frameTime = CMTimeAdd(CMTimeMake(slot, fps_), sessionStart_);
    current_video_time_ = frameTime;
    if (!appendToAdapter(*writerInput(), pixelBuffer, frameTime)) return false;
    framesInTrack_ = slot + 1;
    return true;
}

bool RVImagesToVideo::appendToAdapter(recorder::VideoWriterInput &input, const QImage &pixelBuffer,
                                      const CMTime &time) {
    const auto writer = videoWriter();
    while (!input.isReadyForMoreMediaData()) {
        if (bStop_ || !writer || writer->status() != WriterStatus::Writing) return false;
        if (!input.waitForRoom(kStopCheck)) return false;
    }
    return input.appendPixelBuffer(pixelBuffer, time);
}

// --- finishing

void RVImagesToVideo::finishRecording(CallbackBlock callback) {
    endPause();
    microphone_.releaseAt(videoEndMicros());
    microphone_.finish();
    if (const auto input = writerInput()) input->markAsFinished();
    videoWriter()->finishWriting(
        [self = shared_from_this(), callback = std::move(callback)] { self->completeRecording(callback); });
}

std::int64_t RVImagesToVideo::videoEndMicros() const {
    // Without sound there is no start time, and no sound to end.
    if (!CMTimeIsSet(sessionStart_)) return 0;
    return CMTimeGetMicros(sessionStart_) + (fps_ > 0 ? framesInTrack_ * 1'000'000 / fps_ : 0);
}

void RVImagesToVideo::completeRecording(const CallbackBlock &callback) {
    const auto writer = videoWriter();
    const WriterStatus status = writer->status();
    if (status == WriterStatus::Completed) {
        deskcam::logLine("Successfully closed video writer");
    } else {
        deskcam::logLine("Return unknown when close video writer,%ld", static_cast<long>(status));
    }
    const RecordingReport::Facts facts = factsOf(*writer);
    // A file without a single frame is no recording.
    if (!facts.hasFrames) QFile::remove(QString::fromStdString(facts.path));
    const Report report = Report::of(facts);
    setReport(report);
    if (callback) callback(report.outcome == Report::Outcome::Saved);
    audioFileHandle_.reset();
    deskcam::logLine("Done");
    microphone_.dropTrack();
    setVideoWriter(nullptr);
}

RecordingReport::Facts RVImagesToVideo::factsOf(const MediaWriter &writer) const {
    RecordingReport::Facts facts;
    facts.path = writer.path();
    facts.fps = fps_;
    facts.framesInTrack = framesInTrack_;
    facts.completed = writer.status() == WriterStatus::Completed;
    facts.hasFrames =
        framesInTrack_ > 0 &&
        (facts.completed ? QFile::exists(QString::fromStdString(facts.path)) : writer.holdsMedia());
    facts.diskFull = writer.failedForLackOfSpace();
    facts.failure = recorder::errorText(writer.failureCode());
    facts.fileGoneAt = fileGoneAt_;
    facts.anchorMicros = anchorMicros_;
    facts.cameraSilences = sampler_.silences();
    facts.microphoneSilences = microphone_.silences();
    facts.lateFrames = statistics().skippedSlots;
    facts.pausedMicros = pausedMicros();
    return facts;
}

void RVImagesToVideo::abandonFinishing() {
    if (const auto writer = videoWriter()) writer->abandonRewrite();
}

// --- pausing

bool RVImagesToVideo::pause() {
    bool paused = false;
    {
        std::lock_guard lock(stopMutex_);
        paused = !ended_ && !bStop_ && pauseClock_.pause(CaptureTimestamps::nowMicros());
    }
    // The frame loop waits for the resume instead of the next slot.
    stopChanged_.notify_all();
    if (paused) deskcam::logLine("Recording paused");
    return paused;
}

bool RVImagesToVideo::resume() {
    bool resumed = false;
    {
        std::lock_guard lock(stopMutex_);
        resumed = !ended_ && pauseClock_.resume(CaptureTimestamps::nowMicros());
    }
    stopChanged_.notify_all();
    if (resumed) deskcam::logLine("Recording resumed");
    return resumed;
}

bool RVImagesToVideo::isPaused() const {
    std::lock_guard lock(stopMutex_);
    return pauseClock_.paused();
}

std::int64_t RVImagesToVideo::pausedMicros() const {
    const std::int64_t now = CaptureTimestamps::nowMicros();
    std::lock_guard lock(stopMutex_);
    return pauseClock_.pausedMicros(now);
}

// A pause still running ends with the recording, so the time paused stops growing.
void RVImagesToVideo::endPause() {
    std::lock_guard lock(stopMutex_);
    pauseClock_.resume(CaptureTimestamps::nowMicros());
    ended_ = true;
}

void RVImagesToVideo::doStop() {
    {
        std::lock_guard lock(stopMutex_);
        bStop_ = true;
    }
    stopChanged_.notify_all();
    // Once writing, the microphone is let go when the sound has caught up with the last frame.
    if (!microphone_.writingStarted()) microphone_.release();
}

// --- accessors

std::shared_ptr<MediaWriter> RVImagesToVideo::videoWriter() const {
    std::lock_guard lock(writerMutex_);
    return videoWriter_;
}

std::shared_ptr<recorder::VideoWriterInput> RVImagesToVideo::writerInput() const {
    std::lock_guard lock(writerMutex_);
    return writerInput_;
}

void RVImagesToVideo::setVideoWriter(std::shared_ptr<MediaWriter> writer) {
    microphone_.setWriter(writer);
    std::lock_guard lock(writerMutex_);
    if (!writer) writerInput_.reset();
    videoWriter_ = std::move(writer);
}

RVImagesToVideo::Statistics RVImagesToVideo::statistics() const {
    Statistics statistics;
    {
        std::lock_guard lock(statisticsMutex_);
        statistics = statistics_;
    }
    statistics.pausedMicros = pausedMicros();
    return statistics;
}

RVImagesToVideo::Report RVImagesToVideo::report() const {
    std::lock_guard lock(reportMutex_);
    return report_;
}

void RVImagesToVideo::setReport(const Report &report) {
    std::lock_guard lock(reportMutex_);
    report_ = report;
}
