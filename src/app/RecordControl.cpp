#include "app/RecordControl.h"

#include "base/Log.h"
#include "library/DKBookmark.h"
#include "library/SaveFileNamer.h"

#include <QFile>

#include <pthread.h>

RecordControl::RecordControl(Hooks hooks, QObject *parent) : QObject(parent), hooks_(std::move(hooks)) {}

RecordControl::~RecordControl() {
    {
        // A recording thread waiting for the user to close an alert gives up waiting.
        std::lock_guard lock(alertWaits_->mutex);
        alertWaits_->closing = true;
    }
    alertWaits_->changed.notify_all();
    for (const auto &recording : recordings_) {
        recording->recording = false;
        recording->recorder->doStop();
    }
    for (const auto &recording : recordings_) recording->Thread_Record_Start.join();
}

QString RecordControl::savedMessage(const QString &path) {
    return QStringLiteral("Record saved in path\uFF1A%1").arg(path);
}

int RecordControl::runningThreads() const {
    int running = 0;
    for (const auto &recording : recordings_) running += recording->threadDone ? 0 : 1;
    return running;
}

std::optional<int> RecordControl::recordingSeconds() const {
    if (!bRecording()) return std::nullopt;
    return int(std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() -
                                                                current_->startedAt)
                   .count());
}

void RecordControl::Record_Button_Click(const QDateTime &pressedAt) {
    if (bRecording()) {
        StopRecord(current_);
        hooks_.alertMessage(savedMessage(current_->path));
        return;
    }
    if (!hooks_.deviceConnected()) {
        hooks_.alertMessage(deviceDisconnectMessage());
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
}

void RecordControl::StartRecord(const std::shared_ptr<Recording> &recording) {
    // The recording call clears an earlier stop request, so a stop that came first must skip the call.
    if (!recording->recording) return;
    const QSizeF size = hooks_.videoSize();
    recording->recorder->writeImageAsMovie({}, recording->path.toStdString(), size, kFramesPerSecond, false,
                                           nullptr);
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
        },
        Qt::QueuedConnection);
}

void RecordControl::presentMicrophoneAlert(const std::string &message) {
    deskcam::logLine("%s", message.c_str());
    auto dismissed = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        this,
        [this, message, dismissed, waits = alertWaits_] {
            hooks_.alertAndWait(QString::fromStdString(message), [dismissed, waits] {
                std::lock_guard lock(waits->mutex);
                *dismissed = true;
                waits->changed.notify_all();
            });
        },
        Qt::QueuedConnection);
    std::unique_lock lock(alertWaits_->mutex);
    alertWaits_->changed.wait(lock, [&] { return *dismissed || alertWaits_->closing; });
}

void RecordControl::reapFinishedThreads() {
    std::erase_if(recordings_, [this](const std::shared_ptr<Recording> &recording) {
        if (!recording->threadDone || recording == current_) return false;
        recording->Thread_Record_Start.join();
        return true;
    });
}
