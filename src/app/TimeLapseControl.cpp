#include "app/TimeLapseControl.h"

#include "l10n/Localization.h"
#include "viewer/DKBookmark.h"
#include "viewer/SaveFileNamer.h"

#include <QDir>

using recorder::TimeLapse;

namespace {

using l10n::text;

}  // namespace

TimeLapseControl::TimeLapseControl(std::function<QImage()> picture, QObject *parent)
    : QObject(parent), picture_(std::move(picture)) {
    worker_.setMaxThreadCount(1);
    worker_.setExpiryTimeout(-1);
    connect(&timer_, &QTimer::timeout, this, &TimeLapseControl::takeMoment);
}

TimeLapseControl::~TimeLapseControl() {
    if (running_) stop();
    worker_.waitForDone();
}

bool TimeLapseControl::start(const TimeLapse::Plan &plan, const QString &root, const QDateTime &when,
                             QString *error) {
    if (running_) return true;
    if (root.isEmpty()) {
        *error = text("timelapse_no_root");
        return false;
    }
    const QString folder = SaveFileNamer::newSavePath(root, QLatin1String(DKBookmark::kCaptureFolder),
                                                      QStringLiteral("timelapse_%@"), when);
    film_ = SaveFileNamer::newSavePath(root, QLatin1String(DKBookmark::kRecordFolder),
                                       QStringLiteral("timelapse_%@.mp4"), when);
    lapse_ = std::make_shared<TimeLapse>(folder, plan);
    QString why;
    if (!lapse_->start(&why)) {
        *error = text("timelapse_no_folder").arg(folder);
        lapse_.reset();
        return false;
    }
    progress_ = {0, plan.count, 0};
    running_ = true;
    writeFailed_ = false;
    timer_.start(plan.every);
    takeMoment();
    emit progressed();
    return true;
}

void TimeLapseControl::takeMoment() {
    const QImage picture = picture_();
    worker_.start([this, lapse = lapse_, picture] {
        const TimeLapse::Moment moment = lapse->add(picture);
        const int taken = lapse->taken(), missed = lapse->missed();
        QMetaObject::invokeMethod(
            this, [this, moment, taken, missed] { tookMoment(moment, taken, missed); }, Qt::QueuedConnection);
    });
}

void TimeLapseControl::tookMoment(TimeLapse::Moment moment, int taken, int missed) {
    if (!running_) return;
    progress_.taken = taken;
    progress_.missed = missed;
    emit progressed();
    if (moment == TimeLapse::Moment::WriteFailed) writeFailed_ = true;
    if (writeFailed_ || (progress_.count > 0 && taken >= progress_.count)) stop();
}

void TimeLapseControl::stop() {
    if (!running_) return;
    running_ = false;
    timer_.stop();
    worker_.start([this, lapse = lapse_, film = film_] {
        recorder::StillsMovie::Result made;
        if (lapse->taken() > 0) made = lapse->makeFilm(film);
        const QString folder = lapse->folder();
        const int taken = lapse->taken(), missed = lapse->missed();
        QMetaObject::invokeMethod(
            this, [this, made, film, folder, taken, missed] { filmMade(made, film, folder, taken, missed); },
            Qt::QueuedConnection);
    });
    lapse_.reset();
}

void TimeLapseControl::filmMade(const recorder::StillsMovie::Result &made, const QString &film,
                                const QString &folder, int taken, int missed) {
    if (taken == 0) {
        QDir().rmdir(folder);  // only when empty
        emit finished(text("timelapse_nothing"), false);
        return;
    }
    QString summary = made.written ? text("timelapse_done").arg(taken).arg(folder, film)
                                   : text("timelapse_film_failed").arg(taken).arg(folder, made.error);
    if (missed > 0) summary += QLatin1Char(' ') + text("timelapse_missed").arg(missed);
    if (writeFailed_) summary += QLatin1Char(' ') + text("timelapse_write_failed");
    emit finished(summary, made.written && !writeFailed_);
}
