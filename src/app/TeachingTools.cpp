#include "app/TeachingTools.h"

#include "app/ControlTexts.h"
#include "l10n/Localization.h"
#include "viewer/ViewerSettings.h"

#include <QPainter>
#include <QSignalBlocker>

using namespace std::chrono_literals;

namespace {

constexpr auto kStatusRefresh = 250ms;

// The drawing button's picture: the tool's own, over a bar of the ink colour.
QIcon drawButtonIcon(const char *picture, const QColor &ink) {
    QPixmap pixmap(QStringLiteral(":/pictures/") + QLatin1String(picture));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawRoundedRect(QRectF(6, pixmap.height() - 7, pixmap.width() - 12, 6), 3, 3);
    return QIcon(pixmap);
}

}  // namespace

TeachingTools::TeachingTools(const ViewControllerLayout &ui, MouseDragView &view, Hooks hooks)
    : ui_(ui), view_(view), hooks_(std::move(hooks)) {
    statusTimer_.setInterval(kStatusRefresh);
    connectControls();
    // The pen starts in red, the highlighter in yellow.
    view_.setInkColour(MouseDragView::Tool::Pen, ViewControllerLayout::inks()[0].colour);
    view_.setInkColour(MouseDragView::Tool::Highlighter, ViewControllerLayout::inks()[1].colour);
    updateFreezeLook();
    updateDrawButton();
    setMirrored(ViewerSettings::flag(ViewerSettings::kMirrorKey));
    setFlipped(ViewerSettings::flag(ViewerSettings::kFlipKey));
    setStatusOverlayShown(ViewerSettings::flag(ViewerSettings::kStatusOverlayKey));
}

void TeachingTools::connectControls() {
    connect(ui_.freeze_button, &QToolButton::clicked, this, &TeachingTools::toggleFreeze);
    connect(ui_.mirror_action, &QAction::toggled, this, &TeachingTools::setMirrored);
    connect(ui_.flip_action, &QAction::toggled, this, &TeachingTools::setFlipped);
    connect(ui_.overlay_action, &QAction::toggled, this, &TeachingTools::setStatusOverlayShown);
    connect(ui_.pan_action, &QAction::triggered, this, &TeachingTools::leaveToolOrFullScreen);
    connect(ui_.pen_action, &QAction::triggered, this, [this] { chooseTool(MouseDragView::Tool::Pen); });
    connect(ui_.highlighter_action, &QAction::triggered, this,
            [this] { chooseTool(MouseDragView::Tool::Highlighter); });
    connect(ui_.eraser_action, &QAction::triggered, this,
            [this] { chooseTool(MouseDragView::Tool::Eraser); });
    connect(ui_.draw_button, &QToolButton::clicked, this, [this] {
        chooseTool(view_.tool() == MouseDragView::Tool::Pan ? lastDrawingTool_ : MouseDragView::Tool::Pan);
    });
    connect(ui_.colour_actions, &QActionGroup::triggered, this, [this](QAction *ink) {
        // The colour goes to the pen or the highlighter, whichever was taken last, and picking it means
        // drawing with it.
        const MouseDragView::Tool tool = inkTool();
        view_.setInkColour(tool, ink->data().value<QColor>());
        chooseTool(tool);
    });
    connect(ui_.spotlight_action, &QAction::toggled, this, [this](bool on) {
        view_.setSpotlight(on);
        ui_.shade_button->setChecked(view_.shades().any());
    });
    connect(ui_.curtain_action, &QAction::toggled, this, [this](bool on) {
        view_.setCurtain(on);
        ui_.shade_button->setChecked(view_.shades().any());
    });
    connect(ui_.undo_action, &QAction::triggered, this, &TeachingTools::undoStroke);
    connect(ui_.clear_action, &QAction::triggered, this, &TeachingTools::clearDrawings);
    connect(&statusTimer_, &QTimer::timeout, this, &TeachingTools::refreshStatus);
}

void TeachingTools::toggleFreeze() {
    hooks_.setFrozen(!hooks_.frozen());
    updateFreezeLook();
    if (!hooks_.frozen()) hooks_.goLive();
}

void TeachingTools::updateFreezeLook() {
    const bool frozen = hooks_.frozen();
    ui_.freeze_button->setChecked(frozen);
    ControlTexts::setToolTipKey(ui_.freeze_button,
                                frozen ? QStringLiteral("unfreeze") : QStringLiteral("freeze"));
    view_.setFrozenMark(frozen ? Localization::shared().text(QStringLiteral("frozen_mark")) : QString());
}

void TeachingTools::setMirrored(bool mirrored) {
    orientation_.mirrored = mirrored;
    showSwitch(ui_.mirror_action, ViewerSettings::kMirrorKey, mirrored);
    applyOrientation();
}

void TeachingTools::setFlipped(bool flipped) {
    orientation_.flipped = flipped;
    showSwitch(ui_.flip_action, ViewerSettings::kFlipKey, flipped);
    applyOrientation();
}

// Camera pictures are mirrored and flipped as chosen; the no-device picture never is, so it stays legible.
void TeachingTools::applyOrientation() {
    recordedOrientation_ = orientation_;
    view_.displayGeometry().setOrientation(hooks_.showsCameraPicture() ? orientation_ : PictureOrientation{});
    view_.update();
}

// A remembered on/off setting: its menu entry shows it (without acting again) and the settings keep it.
void TeachingTools::showSwitch(QAction *action, const char *key, bool on) {
    const QSignalBlocker blocker(action);
    action->setChecked(on);
    ViewerSettings::setFlag(key, on);
}

void TeachingTools::setStatusOverlayShown(bool shown) {
    showSwitch(ui_.overlay_action, ViewerSettings::kStatusOverlayKey, shown);
    if (shown) {
        statusTimer_.start();
        refreshStatus();
    } else {
        statusTimer_.stop();
        statusLines_.clear();
        view_.setCornerPanel(QImage());
    }
}

void TeachingTools::refreshStatus() {
    const StatusOverlay::Status status = hooks_.status();
    QStringList lines = StatusOverlay::lines(status, Localization::shared());
    if (lines == statusLines_) return;
    statusLines_ = std::move(lines);
    view_.setCornerPanel(
        StatusOverlay::panel(statusLines_, status.recordingSeconds.has_value(), view_.devicePixelRatioF()));
}

void TeachingTools::chooseTool(MouseDragView::Tool tool) {
    view_.setTool(tool);
    if (tool != MouseDragView::Tool::Pan) lastDrawingTool_ = tool;
    updateDrawButton();
}

void TeachingTools::leaveToolOrFullScreen() {
    if (view_.tool() != MouseDragView::Tool::Pan) {
        chooseTool(MouseDragView::Tool::Pan);
    } else if (view_.window()->isFullScreen()) {
        hooks_.toggleFullScreen();
    }
}

void TeachingTools::updateDrawButton() {
    const MouseDragView::Tool tool = view_.tool();
    QAction *checked = tool == MouseDragView::Tool::Pen           ? ui_.pen_action
                       : tool == MouseDragView::Tool::Highlighter ? ui_.highlighter_action
                       : tool == MouseDragView::Tool::Eraser      ? ui_.eraser_action
                                                                  : ui_.pan_action;
    checked->setChecked(true);
    ui_.draw_button->setChecked(tool != MouseDragView::Tool::Pan);
    const char *picture = lastDrawingTool_ == MouseDragView::Tool::Highlighter ? "highlighter.png"
                          : lastDrawingTool_ == MouseDragView::Tool::Eraser    ? "eraser.png"
                                                                               : "pen.png";
    const QColor ink = view_.inkColour(inkTool());
    ui_.draw_button->setIcon(drawButtonIcon(picture, ink));
    ui_.ink_heading_action->setText(Localization::shared().text(inkTool() == MouseDragView::Tool::Highlighter
                                                                    ? QStringLiteral("ink_of_highlighter")
                                                                    : QStringLiteral("ink_of_pen")));
    for (QAction *colour : ui_.colour_actions->actions()) {
        if (colour->data().value<QColor>() == ink) colour->setChecked(true);
    }
}

// The tool whose ink the colour menu shows and sets: the pen, or the highlighter when it was taken last.
MouseDragView::Tool TeachingTools::inkTool() const {
    return lastDrawingTool_ == MouseDragView::Tool::Highlighter ? MouseDragView::Tool::Highlighter
                                                                : MouseDragView::Tool::Pen;
}

void TeachingTools::undoStroke() {
    if (view_.drawingSheet().undo()) view_.update();
}

void TeachingTools::clearDrawings() {
    view_.drawingSheet().clear();
    view_.update();
}
