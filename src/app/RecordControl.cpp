#include "app/RecordControl.h"

#include "app/RecordEndMessage.h"
#include "base/Log.h"
#include "l10n/Localization.h"
#include "viewer/DKBookmark.h"
#include "viewer/SaveFileNamer.h"
#include "viewer/ViewerSettings.h"

#include <QFile>

#include <pthread.h>

#include <algorithm>

namespace {

// After the deadline, a file still being rewritten gives up the rewrite; this long is left for that.
constexpr auto kAbandonPatience = std::chrono::seconds(2);

}  // namespace

RecordControl::RecordControl(Hooks hooks, QObject *parent) : QObject(parent), hooks_(std::move(hooks)) {}

RecordControl::~RecordControl() {
    waitUntilFinished(Clock::now() + kFinishPatience);
    for (const auto &recording : recordings_) recording->Thread_Record_Start.join();
}

int RecordControl::runningThreads() const {
    int running = 0;
    for (const auto &recording : recordings_) running += recording->threadDone ? 0 : 1;
    return running;
}

bool RecordControl::busy() const {
    return std::any_of(recordings_.begin(), recordings_.end(),
                       [](const std::shared_ptr<Recording> &recording) { return !recording->ended; });
}

QString RecordControl::deviceDisconnectMessage() {
    return Localization::shared().text(QStringLiteral("device_disconnect"));
}

std::optional<int> RecordControl::recordingSeconds() const {
    if (!bRecording()) return std::nullopt;
    const auto paused = std::chrono::microseconds(current_->recorder->pausedMicros());
    return int(std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() -
                                                                current_->startedAt - paused)
                   .count());
}

void RecordControl::togglePause() {
    if (!bRecording()) return;
    const auto &recorder = current_->recorder;
    if (!recorder->pause() && !recorder->resume()) return;
    pausedShown_ = recorder->isPaused();
    emit pausedChanged(pausedShown_);
}

bool RecordControl::isPaused() const {
    return bRecording() && current_->recorder->isPaused();
}

std::uint64_t RecordControl::lateFrames() const {
    if (!bRecording() || !current_->recorder) return 0;
    return current_->recorder->statistics().skippedSlots;
}

void RecordControl::Record_Button_Click(const QDateTime &pressedAt) {
    if (bRecording()) {
        // What to tell the user is known once the file is finished (recordingEnded).
        StopRecord(current_);
        return;
    }
    if (!hooks_.deviceConnected()) {
        hooks_.alertMessage(deviceDisconnectMessage(), false);
        return;
    }
    startRecording(pressedAt);
}

void RecordControl::startRecording(const QDateTime &pressedAt) {
    const QString root = hooks_.saveRoot();
    if (root.isEmpty()) return;
    reapFinishedThreads();

    auto recording = std::make_shared<Recording>();
    // A second recording within the same second gets a "-2" name rather than removing the first file.
    recording->path = SaveFileNamer::newSavePath(root, QLatin1String(DKBookmark::kRecordFolder),
                                                 QLatin1String(kRecordPattern), pressedAt);
    // Made here rather than on the thread, so a stop pressed before the thread gets going reaches it.
    recording->recorder = RVImagesToVideo::create();
    recording->recorder->setMicrophoneEnabled(hooks_.microphone);
    if (hooks_.frameSource) recording->recorder->setFrameSource(hooks_.frameSource);
    recording->recorder->setPictureTransform(hooks_.pictureTransform);
    recording->recorder->setAlertPresenter(
        [this](const std::string &message) { presentMicrophoneAlert(message); });
    // A stop that comes before the recorder's first frame leaves nothing, whenever the thread gets going.
    recording->recorder->setStillWanted([weak = std::weak_ptr<Recording>(recording)] {
        const auto wanted = weak.lock();
        return wanted && wanted->recording;
    });
    // Read here: current_view_info belongs to the GUI thread.
    recording->size = hooks_.videoSize();
    current_ = recording;
    recordings_.push_back(recording);
    recording->Thread_Record_Start = std::thread([this, recording] {
        pthread_setname_np(pthread_self(), "Thread-Record_S");  // Linux keeps 15 characters
        runRecord_Start(recording);
        recording->threadDone = true;
    });
}

void RecordControl::runRecord_Start(const std::shared_ptr<Recording> &recording) {
    postButtonState(recording, true);
    QFile::remove(recording->path);
    StartRecord(recording);
    StopRecord(recording);
    waitForFile(recording);
    QMetaObject::invokeMethod(
        this, [this, recording] { recordingEnded(recording); }, Qt::QueuedConnection);
}

void RecordControl::StartRecord(const std::shared_ptr<Recording> &recording) {
    const auto fileFinished = [waits = waits_, weak = std::weak_ptr<Recording>(recording)](bool) {
        const auto finished = weak.lock();
        if (!finished) return;
        std::lock_guard lock(waits->mutex);
        finished->fileFinished = true;
        waits->changed.notify_all();
    };
    // The recording call clears an earlier stop request, so a stop that came first must skip the call.
    if (!recording->recording) {
        recording->skipped = true;
        fileFinished(false);
        return;
    }
    recording->recorder->writeImageAsMovie({}, recording->path.toStdString(), recording->size,
                                           kFramesPerSecond, false, fileFinished);
}

void RecordControl::waitForFile(const std::shared_ptr<Recording> &recording) {
    std::unique_lock lock(waits_->mutex);
    waits_->changed.wait(lock, [&] { return recording->fileFinished || waits_->givenUp; });
}

void RecordControl::StopRecord(const std::shared_ptr<Recording> &recording) {
    recording->recording = false;
    recording->recorder->doStop();
    postButtonState(recording, false);
}

void RecordControl::postButtonState(const std::shared_ptr<Recording> &recording, bool recordingNow) {
    QMetaObject::invokeMethod(
        this,
        [this, recording, recordingNow] {
            // Only the newest recording speaks for the button.
            if (recording != current_) return;
            hooks_.showButtonState(recordingNow && recording->recording);
            if (!recording->recording && pausedShown_) {
                pausedShown_ = false;
                emit pausedChanged(false);
            }
        },
        Qt::QueuedConnection);
}

void RecordControl::recordingEnded(const std::shared_ptr<Recording> &recording) {
    recording->ended = true;
    RVImagesToVideo::Report report = recording->recorder->report();
    if (recording->skipped) report.outcome = RVImagesToVideo::Report::Outcome::NothingRecorded;
    if (report.outcome == RVImagesToVideo::Report::Outcome::Pending) {
        deskcam::logLine("%s was not finished in time; it plays, with its index in pieces",
                         qPrintable(recording->path));
        keepUntold(Localization::shared().text(QStringLiteral("record_unfinished")).arg(recording->path));
    } else if (recording->quiet) {
        const QString end = RecordEndMessage::text(report, Localization::shared());
        deskcam::logLine("%s", qPrintable(end));
        keepUntold(end);
    } else {
        hooks_.alertMessage(RecordEndMessage::text(report, Localization::shared()),
                            RecordEndMessage::isGoodNews(report));
    }
    if (!busy()) emit idle();
}

// The window is closing: the user learns where the file went at the next start, not on a terminal only.
void RecordControl::keepUntold(const QString &end) {
    const auto settings = ViewerSettings::open();
    const QString key = QLatin1String(ViewerSettings::kUntoldRecordingEndsKey);
    settings->setValue(key, settings->value(key).toStringList() << end);
}

QStringList RecordControl::takeUntoldEnds() {
    const auto settings = ViewerSettings::open();
    const QString key = QLatin1String(ViewerSettings::kUntoldRecordingEndsKey);
    const QStringList ends = settings->value(key).toStringList();
    settings->remove(key);
    return ends;
}

void RecordControl::presentMicrophoneAlert(const std::string &message) {
    deskcam::logLine("%s", message.c_str());
    auto dismissed = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        this,
        [this, message, dismissed, waits = waits_] {
            hooks_.alertAndWait(QString::fromStdString(message), [dismissed, waits] {
                std::lock_guard lock(waits->mutex);
                *dismissed = true;
                waits->changed.notify_all();
            });
        },
        Qt::QueuedConnection);
    std::unique_lock lock(waits_->mutex);
    waits_->changed.wait(lock, [&] { return *dismissed || waits_->ending; });
}

void RecordControl::finishAll() {
    {
        // A recording thread waiting for the user to close the microphone's alert gives up waiting.
        std::lock_guard lock(waits_->mutex);
        waits_->ending = true;
    }
    waits_->changed.notify_all();
    for (const auto &recording : recordings_) {
        recording->quiet = true;
        StopRecord(recording);
    }
    if (!busy()) {
        QMetaObject::invokeMethod(
            this, [this] { emit idle(); }, Qt::QueuedConnection);
    }
}

bool RecordControl::allFilesFinished() {
    return std::all_of(recordings_.begin(), recordings_.end(),
                       [](const std::shared_ptr<Recording> &recording) { return recording->fileFinished; });
}

bool RecordControl::waitUntilFinished(Clock::time_point deadline) {
    finishAll();
    std::unique_lock lock(waits_->mutex);
    if (waits_->givenUp) return false;
    if (waits_->changed.wait_until(lock, deadline, [this] { return allFilesFinished(); })) return true;
    lock.unlock();
    for (const auto &recording : recordings_) recording->recorder->abandonFinishing();
    lock.lock();
    waits_->changed.wait_for(lock, kAbandonPatience, [this] { return allFilesFinished(); });
    waits_->givenUp = true;
    waits_->changed.notify_all();
    return false;
}

void RecordControl::reapFinishedThreads() {
    std::erase_if(recordings_, [this](const std::shared_ptr<Recording> &recording) {
        if (!recording->threadDone || !recording->ended || recording == current_) return false;
        recording->Thread_Record_Start.join();
        return true;
    });
}
