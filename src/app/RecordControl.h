#pragma once

// The record button's work, apart from the window: a press starts a recording of the live pictures (and the
// microphone) into R/RidirOvozev/record_T.mp4 on a thread of its own, "Thread-Record_Start", and the next
// press stops it; the button shows "recordstop.png" while recording and "record.png" otherwise, with the
// matching tooltip.
//
// Each recording keeps its own recorder, path and state. A stop reaches the recorder of the recording it
// belongs to; the stop that a recording thread makes when its recorder returns changes the button and the
// recording state only while no newer recording has started, so a finishing recording never ends or
// relabels the next one.
//
// A recording's thread lives until its file is finished (the recorder completes it on the shared work
// queue), then the end of the recording is told to the user (RecordEndMessage): only then is it known
// whether the file exists and what it holds. So the program must not end while busy(): finishAll() stops
// everything and emits idle() when every file is finished; waitUntilFinished() blocks for the same, with a
// bound, for the way out that cannot run the event loop.
//
// A running recording can be paused and resumed (togglePause); pausedChanged tells the window, also when a
// paused recording ends. The recording's time leaves its pauses out, as its file does.
//
// Thread use: the public methods and the window hooks run on the GUI thread; the recording threads post
// their button changes and their ends to it. The control must live in the GUI thread; destroying it stops
// its recordings and waits (bounded) for their files.

#include "recorder/RVImagesToVideo.h"

#include <QDateTime>
#include <QObject>
#include <QSizeF>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class RecordControl : public QObject {
    Q_OBJECT
  public:
    using Clock = std::chrono::steady_clock;

    // What the control needs of the window and the rest of the program.
    struct Hooks {
        std::function<bool()> deviceConnected;  // pictures are arriving (receiver bConnected)
        std::function<QString()> saveRoot;      // the save root R, empty when none
        std::function<QSizeF()> videoSize;      // current_view_info
        // A message to the user, not waited for; goodNews: all went well (an information icon).
        std::function<void(const QString &text, bool goodNews)> alertMessage;
        // Shows a message and calls dismissed once the user has closed it (the microphone's alert).
        std::function<void(const QString &text, std::function<void()> dismissed)> alertAndWait;
        std::function<void(bool recording)> showButtonState;  // picture and tooltip of the record button
        RVImagesToVideo::FrameSource frameSource;             // the receiver's latest frame
        RVImagesToVideo::PictureTransform pictureTransform;   // the view's mirror and flip; may be empty
        bool microphone = true;
    };

    static constexpr const char *kRecordPattern = "record_%@.mp4";
    static constexpr std::int32_t kFramesPerSecond = 25;
    // How long the program waits for its recordings' files when it ends.
    static constexpr auto kFinishPatience = std::chrono::seconds(15);

    explicit RecordControl(Hooks hooks, QObject *parent = nullptr);
    ~RecordControl() override;

    // The button's action: stops the running recording, or starts one (pressedAt names its file).
    void Record_Button_Click(const QDateTime &pressedAt = QDateTime::currentDateTime());

    bool bRecording() const { return current_ && current_->recording; }
    // The current or last recording's file; empty before the first.
    QString record_save_path() const { return current_ ? current_->path : QString(); }
    // The current or last recording's recorder.
    std::shared_ptr<RVImagesToVideo> m_Video_Writer() const {
        return current_ ? current_->recorder : nullptr;
    }
    // Whole seconds the running recording has recorded since it was started (pauses left out); nothing
    // while none runs.
    std::optional<int> recordingSeconds() const;
    // Pauses the running recording, or resumes it when paused; nothing while none runs.
    void togglePause();
    // The running recording is paused.
    bool isPaused() const;
    // Frames the running recording left out because encoding fell behind; 0 while none runs.
    std::uint64_t lateFrames() const;
    // Recordings whose thread has not ended yet.
    int runningThreads() const;
    // A recording runs, or its file is not finished yet.
    bool busy() const;

    // --- the program ends: every recording stopped and its file finished, their ends only logged
    // Stops every recording; idle() follows once every file is finished (at once when none is busy).
    void finishAll();
    // Blocks until every file is finished or the deadline has passed; then files still being rewritten are
    // left fragmented (playable) and the wait ends soon after. True when every file was finished in time.
    bool waitUntilFinished(Clock::time_point deadline);

    // The ends of recordings that finished while the program was ending, oldest first; told once.
    static QStringList takeUntoldEnds();
    // "Device disconnect!", in the window's language.
    static QString deviceDisconnectMessage();

  signals:
    // No recording runs and every file is finished.
    void idle();
    // The running recording was paused (true) or resumed or ended while paused (false).
    void pausedChanged(bool paused);

  private:
    static void keepUntold(const QString &end);
    // One recording: its own recorder, file and thread.
    struct Recording {
        std::shared_ptr<RVImagesToVideo> recorder;
        QString path;
        QSizeF size;  // the track size: current_view_info at the press
        std::chrono::steady_clock::time_point startedAt = std::chrono::steady_clock::now();
        std::thread Thread_Record_Start;
        std::atomic<bool> recording{true};  // bRecording of this recording
        std::atomic<bool> threadDone{false};
        bool fileFinished = false;  // guarded by Waits::mutex
        bool skipped = false;       // recording thread, then GUI: stopped before the recorder began
        bool ended = false;         // GUI thread: its end was handled
        bool quiet = false;         // GUI thread: the program ends; its end goes to the log only
    };
    // Shared with the recording threads and with callbacks that may outlive the control.
    struct Waits {
        std::mutex mutex;
        std::condition_variable changed;
        bool ending = false;   // the program ends: nobody will answer the microphone's alert
        bool givenUp = false;  // the program ends now: threads stop waiting for their files
    };

    void startRecording(const QDateTime &pressedAt);
    // --- recording thread
    void runRecord_Start(const std::shared_ptr<Recording> &recording);
    void StartRecord(const std::shared_ptr<Recording> &recording);
    void waitForFile(const std::shared_ptr<Recording> &recording);
    void presentMicrophoneAlert(const std::string &message);
    // --- GUI thread, or a recording thread (through the GUI thread for the button)
    void StopRecord(const std::shared_ptr<Recording> &recording);
    void postButtonState(const std::shared_ptr<Recording> &recording, bool recordingNow);
    // --- GUI thread
    void recordingEnded(const std::shared_ptr<Recording> &recording);
    void reapFinishedThreads();
    bool allFilesFinished();

    const Hooks hooks_;

    // --- GUI thread only
    std::shared_ptr<Recording> current_;
    bool pausedShown_ = false;  // pausedChanged last said true
    std::vector<std::shared_ptr<Recording>> recordings_;

    const std::shared_ptr<Waits> waits_ = std::make_shared<Waits>();
};
