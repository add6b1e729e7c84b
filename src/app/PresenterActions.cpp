#include "app/PresenterActions.h"

#include "app/TimeLapseDialog.h"
#include "l10n/Localization.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLayout>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTransform>

#include <cmath>

namespace {

using l10n::text;

// The page's size when no camera picture has been seen, and the blackboard's colour.
constexpr QSize kBoardSize(1920, 1080);
const QColor kBlackboard(20, 20, 20);

}  // namespace

PresenterActions::PresenterActions(const ViewControllerLayout &ui, MouseDragView *view, Hooks hooks)
    : ui_(ui),
      hooks_(std::move(hooks)),
      view_(view),
      notice_(new Notice(view)),
      timeLapse_([this] { return hooks_.showsCameraPicture() ? hooks_.picture(false) : QImage(); }),
      standIn_(*view, {hooks_.backToCamera, [this](StandIn::Kind kind) { standInChanged(kind); }}) {
    connect(ui_.whiteboard_action, &QAction::triggered, this,
            [this] { toggleBoard(StandIn::Kind::WhitePage); });
    connect(ui_.blackboard_action, &QAction::triggered, this,
            [this] { toggleBoard(StandIn::Kind::BlackPage); });
    setUpStills(view);
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

// --- the whiteboard and the stills

void PresenterActions::toggleBoard(StandIn::Kind page) {
    if (standIn_.kind() == page) {
        backToLive();
        return;
    }
    const QSize camera = hooks_.cameraSize();
    QImage blank(camera.isValid() ? camera : kBoardSize, QImage::Format_RGB32);
    blank.fill(page == StandIn::Kind::WhitePage ? Qt::white : kBlackboard);
    // The page keeps its strokes between visits while it stays the camera's size.
    keepStrokes(standIn_.kind(), standIn_.show(page, blank, boardStrokes_));
    shownStill_.reset();
}

void PresenterActions::keepStill(const QImage &picture, const DrawingSheet &strokes) {
    if (picture.isNull() || standIn_.on()) return;
    stills_.add(picture, strokes);
    strip_->refresh(shownStill_);
}

void PresenterActions::showStill(std::optional<std::size_t> index) {
    if (comparedStill_ && index && *index < stills_.size()) {
        comparedStill_ = index;
        view_->setComparison(stills_.at(*index).picture);
        strip_->refresh(index);
        return;
    }
    if (!index || *index >= stills_.size()) {
        backToLive();
        return;
    }
    const Stills::Still &still = stills_.at(*index);
    const DrawingSheet before = standIn_.show(StandIn::Kind::Still, still.picture, still.strokes);
    keepStrokes(shownStill_ ? StandIn::Kind::Still : standIn_.kind(), before);
    shownStill_ = index;
    strip_->refresh(shownStill_);
}

void PresenterActions::stepStill(int direction) {
    if (!strip_->isVisible() && !shownStill_ && !comparedStill_) return;
    const auto current = comparedStill_ ? comparedStill_ : shownStill_;
    if (const auto next = Stills::step(current, direction, stills_.size())) showStill(next);
}

void PresenterActions::setComparing(bool on) {
    if (on && stills_.empty()) {
        notice_->tell(text("compare_no_stills"));
        const QSignalBlocker quiet(ui_.compare_action);
        ui_.compare_action->setChecked(false);
        return;
    }
    if (!on) {
        comparedStill_.reset();
        view_->setComparison(QImage());
        strip_->refresh(shownStill_);
        return;
    }
    const std::size_t still = shownStill_.value_or(stills_.size() - 1);
    backToLive();
    comparedStill_ = still;
    view_->setComparison(stills_.at(still).picture);
    strip_->refresh(comparedStill_);
}

void PresenterActions::backToLive() {
    const StandIn::Kind kind = standIn_.kind();
    keepStrokes(kind, standIn_.leave());
    shownStill_.reset();
    strip_->refresh(shownStill_);
}

void PresenterActions::keepStrokes(StandIn::Kind kind, const DrawingSheet &strokes) {
    if (kind == StandIn::Kind::WhitePage || kind == StandIn::Kind::BlackPage) boardStrokes_ = strokes;
    if (kind == StandIn::Kind::Still && shownStill_) stills_.setStrokes(*shownStill_, strokes);
}

void PresenterActions::standInChanged(StandIn::Kind kind) {
    ui_.whiteboard_action->setChecked(kind == StandIn::Kind::WhitePage);
    ui_.blackboard_action->setChecked(kind == StandIn::Kind::BlackPage);
    hooks_.standInChanged();
}

void PresenterActions::setUpStills(MouseDragView *view) {
    QWidget *area = view->parentWidget();
    strip_ = new StillsStrip(
        stills_, [this](std::optional<std::size_t> index) { showStill(index); }, area);
    area->layout()->addWidget(strip_);
    strip_->refresh(shownStill_);
    connect(ui_.stills_action, &QAction::toggled, strip_, &QWidget::setVisible);
    connect(ui_.compare_action, &QAction::toggled, this, &PresenterActions::setComparing);
    // On the picture only: a focused slider keeps its arrows.
    for (const auto &[key, direction] : {std::pair{Qt::Key_Left, -1}, std::pair{Qt::Key_Right, 1}}) {
        auto *shortcut = new QShortcut(QKeySequence(key), view);
        shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this,
                [this, direction = direction] { stepStill(direction); });
    }
}
