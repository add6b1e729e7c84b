#include "app/PresenterActions.h"

#include "app/TimeLapseDialog.h"
#include "l10n/Localization.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QTransform>

#include <cmath>

namespace {

QString text(const char *key) {
    return Localization::shared().text(QLatin1String(key));
}

}  // namespace

PresenterActions::PresenterActions(const ViewControllerLayout &ui, MouseDragView *view, Hooks hooks)
    : ui_(ui),
      hooks_(std::move(hooks)),
      notice_(new Notice(view)),
      timeLapse_([this] { return hooks_.showsCameraPicture() ? hooks_.picture(false) : QImage(); }),
      whiteboard_(*view, {hooks_.cameraSize, hooks_.backToCamera, [this](Whiteboard::Page page) {
                              ui_.whiteboard_action->setChecked(page == Whiteboard::Page::White);
                              ui_.blackboard_action->setChecked(page == Whiteboard::Page::Black);
                          }}) {
    connect(ui_.whiteboard_action, &QAction::triggered, this,
            [this] { whiteboard_.toggle(Whiteboard::Page::White); });
    connect(ui_.blackboard_action, &QAction::triggered, this,
            [this] { whiteboard_.toggle(Whiteboard::Page::Black); });
    connect(ui_.timelapse_action, &QAction::triggered, this, &PresenterActions::toggleTimeLapse);
    connect(&timeLapse_, &TimeLapseControl::progressed, this, &PresenterActions::showTimeLapseState);
    connect(&timeLapse_, &TimeLapseControl::finished, this, [this](const QString &summary, bool goodNews) {
        showTimeLapseState();
        hooks_.alert(summary, goodNews);
    });
}

void PresenterActions::copyPicture() {
    if (!hooks_.showsCameraPicture()) {
        notice_->tell(text("copy_nothing"));
        return;
    }
    QImage picture = hooks_.picture(true);
    // The geometry keeps the counter-clockwise turn; Qt turns clockwise.
    if (const double turn = hooks_.rotation(); std::fmod(turn, 360.0) != 0)
        picture = picture.transformed(QTransform().rotate(-turn), Qt::SmoothTransformation);
    QGuiApplication::clipboard()->setImage(picture);
    notice_->tell(text("copy_done").arg(picture.width()).arg(picture.height()));
}

void PresenterActions::toggleTimeLapse() {
    if (timeLapse_.running()) {
        timeLapse_.stop();
        return;
    }
    TimeLapseDialog dialog(notice_->window());
    if (dialog.exec() != QDialog::Accepted) return;
    dialog.remember();
    startTimeLapse(dialog.plan());
}

bool PresenterActions::startTimeLapse(const recorder::TimeLapse::Plan &plan) {
    QString error;
    if (!timeLapse_.start(plan, hooks_.saveRoot(), QDateTime::currentDateTime(), &error)) {
        hooks_.alert(error, false);
        return false;
    }
    return true;
}

QString PresenterActions::timeLapseLine() const {
    if (!timeLapse_.running()) return {};
    const TimeLapseControl::Progress &progress = timeLapse_.progress();
    return progress.count > 0 ? text("timelapse_progress").arg(progress.taken).arg(progress.count)
                              : text("timelapse_progress_open").arg(progress.taken);
}

void PresenterActions::showTimeLapseState() {
    ui_.timelapse_action->setText(text(timeLapse_.running() ? "timelapse_stop" : "timelapse_start"));
    if (timeLapse_.running()) notice_->tell(timeLapseLine());
}
