#include "app/ExitAfterRecordings.h"

#include "app/RecordControl.h"
#include "l10n/Localization.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

ExitAfterRecordings::ExitAfterRecordings(RecordControl &recordings, QWidget *window, Ways ways)
    : recordings_(recordings), window_(window), ways_(std::move(ways)) {}

bool ExitAfterRecordings::waitBeforeLeaving(bool quit) {
    quit_ = quit_ || quit;
    if (state_ == State::Leaving) return false;
    if (state_ == State::Waiting) return true;
    if (!recordings_.busy()) return false;
    state_ = State::Waiting;
    showNotice();
    connect(&recordings_, &RecordControl::idle, this, &ExitAfterRecordings::recordingsFinished,
            Qt::SingleShotConnection);
    QTimer::singleShot(RecordControl::kFinishPatience, this, &ExitAfterRecordings::recordingsFinished);
    recordings_.finishAll();
    return true;
}

void ExitAfterRecordings::recordingsFinished() {
    if (state_ != State::Waiting) return;
    state_ = State::Leaving;
    // Out of patience: a file still being rewritten stays fragmented, and plays.
    if (recordings_.busy()) recordings_.waitUntilFinished(RecordControl::Clock::now());
    if (notice_) notice_->close();
    if (quit_) {
        ways_.quit();
    } else {
        ways_.close();
    }
}

void ExitAfterRecordings::finishNow() {
    if (!recordings_.busy()) return;
    showNotice();
    QEventLoop waiting;
    connect(&recordings_, &RecordControl::idle, &waiting, &QEventLoop::quit);
    QTimer::singleShot(RecordControl::kFinishPatience, &waiting, &QEventLoop::quit);
    recordings_.finishAll();
    waiting.exec();
    if (recordings_.busy()) recordings_.waitUntilFinished(RecordControl::Clock::now());
    if (notice_) notice_->close();
}

void ExitAfterRecordings::showNotice() {
    if (notice_) return;
    auto *notice = new QProgressDialog(Localization::shared().text(QStringLiteral("record_finishing")),
                                       QString(), 0, 0, window_);
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->setWindowModality(Qt::WindowModal);
    notice->setCancelButton(nullptr);
    notice->setMinimumDuration(0);
    notice->show();
    notice_ = notice;
}
