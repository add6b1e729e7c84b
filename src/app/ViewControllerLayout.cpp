#include "app/ViewControllerLayout.h"

#include "app/ScanMenu.h"
#include "recorder/VideoSize.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int kButtonSide = 36;  // room for every button on a 1024-pixel screen
constexpr int kIconSide = 24;
constexpr int kStripMargin = 10;
constexpr int kControlSpacing = 5;
constexpr int kSeparatorGap = 2;  // on each side of a separator, besides the spacing
// The sliders shrink to their minimum before the window does: at its minimum width the window fits a
// 1024-pixel screen with room for more buttons.
constexpr int kSliderWidth = 150;
constexpr int kSliderMinimumWidth = 45;
constexpr int kSliderStretch = 1;
constexpr int kMenuArrowWidth = 14;
constexpr int kSwatchSide = 16;

// The strip's colour is the camera maker's green, rgb(53, 105, 54); everything on it is white.
constexpr char kStripStyle[] = R"(
#bottom_view { background-color: rgb(53, 105, 54); }
#bottom_view QToolButton {
    border: none; border-radius: 8px; background: transparent; padding: 0px;
}
#bottom_view QToolButton:hover { background: rgba(255, 255, 255, 36); }
#bottom_view QToolButton:pressed { background: rgba(0, 0, 0, 48); }
#bottom_view QToolButton:focus { border: 1px solid rgba(255, 255, 255, 120); }
#bottom_view QLabel { color: white; }
#scale_label { font-weight: 600; }
#bottom_view QSlider::groove:horizontal {
    height: 4px; border-radius: 2px; background: rgba(255, 255, 255, 80);
}
#bottom_view QSlider::sub-page:horizontal { height: 4px; border-radius: 2px; background: white; }
#bottom_view QSlider::handle:horizontal {
    width: 16px; height: 16px; margin: -6px 0px; border-radius: 8px; background: white;
}
#bottom_view QSlider::handle:horizontal:hover { background: rgb(220, 240, 220); }
#bottom_view QSlider::handle:horizontal:focus {
    width: 12px; height: 12px; border: 2px solid rgb(140, 200, 140); background: white;
}
#ctrl_resolve_list {
    color: white; background: rgba(0, 0, 0, 40); border: 1px solid rgba(255, 255, 255, 110);
    border-radius: 8px; padding: 4px 8px; min-height: 24px;
}
#ctrl_resolve_list:hover { border-color: white; }
#ctrl_resolve_list:focus { border-color: white; background: rgba(255, 255, 255, 40); }
#ctrl_resolve_list::drop-down { border: none; width: 20px; }
#ctrl_resolve_list::down-arrow { image: url(:/pictures/chevron_down.png); width: 12px; height: 12px; }
#ctrl_resolve_list QAbstractItemView { background: white; outline: none; }
#separator { background: rgba(255, 255, 255, 60); }
#bottom_view QToolButton:checked { background: rgba(255, 255, 255, 64); }
#bottom_view QToolButton[popupMode="1"] { padding-right: 14px; }
#bottom_view QToolButton::menu-button { border: none; width: 14px; }
#bottom_view QToolButton::menu-arrow { image: url(:/pictures/chevron_down.png); width: 10px; height: 10px; }
#bottom_view QToolButton::menu-indicator {
    image: url(:/pictures/chevron_down.png); width: 9px; height: 9px;
    subcontrol-origin: padding; subcontrol-position: bottom right;
}
#bottom_view QMenu {
    color: white; background: rgb(36, 72, 37); border: 1px solid rgba(255, 255, 255, 60); padding: 4px;
}
#bottom_view QMenu::item { padding: 5px 24px 5px 8px; border-radius: 4px; }
#bottom_view QMenu::item:selected { background: rgb(63, 125, 64); }
#bottom_view QMenu::separator { height: 1px; background: rgba(255, 255, 255, 60); margin: 4px 8px; }
#bottom_view QMenu::indicator { width: 14px; height: 14px; }
#bottom_view QMenu::indicator:checked { image: url(:/pictures/check.png); }
#bottom_view QMenu::icon:checked { background: rgba(255, 255, 255, 70); border-radius: 3px; }
)";

QIcon swatch(const QColor &colour) {
    QPixmap pixmap(kSwatchSide, kSwatchSide);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 0, 0, 90), 1));
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(1.5, 1.5, kSwatchSide - 3, kSwatchSide - 3));
    return QIcon(pixmap);
}

}  // namespace

const std::vector<ViewControllerLayout::Ink> &ViewControllerLayout::inks() {
    static const std::vector<Ink> inks{
        {{229, 57, 53}, "colour_red"},   {{253, 216, 53}, "colour_yellow"}, {{67, 160, 71}, "colour_green"},
        {{30, 136, 229}, "colour_blue"}, {{33, 33, 33}, "colour_black"},
    };
    return inks;
}

void ViewControllerLayout::setupUi(QWidget *host) {
    host_ = host;
    auto *column = new QVBoxLayout(host);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    ns_imageview_main = new QWidget(host);
    ns_imageview_main->setObjectName(QStringLiteral("ns_imageview_main"));
    auto *areaLayout = new QVBoxLayout(ns_imageview_main);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    column->addWidget(ns_imageview_main, 1);

    bottom_view = new QFrame(host);
    bottom_view->setObjectName(QStringLiteral("bottom_view"));
    bottom_view->setFixedHeight(kStripHeight);
    column->addWidget(bottom_view);
    makeControls();
    arrangeStrip();
    styleStrip();
}

void ViewControllerLayout::makeControls() {
    left_rotate_button = toolButton("left_rotate_button", "rotate_left.png");
    ns_slider_rotate = new CCSlider(bottom_view);
    ns_slider_rotate->setObjectName(QStringLiteral("ns_slider_rotate"));
    right_rotate_button = toolButton("right_rotate_button", "rotate_right.png");
    actual_1_1_button = toolButton("actual_1_1_button", "actual_size.png");
    suitable_button = toolButton("suitable_button", "fit_size.png");
    zoom_icon = new QLabel(bottom_view);
    zoom_icon->setObjectName(QStringLiteral("zoom_icon"));
    zoom_icon->setPixmap(QIcon(QStringLiteral(":/pictures/zoom.png")).pixmap(18, 18));
    ns_slider_zoom = new DoubleSlider(0.1, 2.0, 100, bottom_view);
    ns_slider_zoom->setObjectName(QStringLiteral("ns_slider_zoom"));
    ns_slider_zoom->setSingleStep(10);  // arrow keys: 0.1
    ns_slider_zoom->setPageStep(25);
    for (QSlider *slider : std::initializer_list<QSlider *>{ns_slider_rotate, ns_slider_zoom}) {
        slider->setMinimumWidth(kSliderMinimumWidth);
        slider->setMaximumWidth(kSliderWidth);
    }
    scale_label = new QLabel(bottom_view);
    scale_label->setObjectName(QStringLiteral("scale_label"));
    // Wide enough for "Scale: 10.0x" so the strip does not shift while zooming.
    scale_label->setMinimumWidth(
        scale_label->fontMetrics().horizontalAdvance(QStringLiteral("Scale: 88.8x")) + 8);
    ctrl_resolve_list = new ResolutionMenu(bottom_view);
    ctrl_resolve_list->setObjectName(QStringLiteral("ctrl_resolve_list"));
    ctrl_resolve_list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // As wide as its longest entry, never less: its minimum size hint is not renewed when entries arrive.
    ctrl_resolve_list->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    capture_button = toolButton("capture_button", "capture.png");
    record_button = toolButton("record_button", "record.png");
    buildRecordMenu();
    library_button = toolButton("library_button", "library.png");
    max_window_button = toolButton("max_window_button", "max_window.png");
    buildScreenMenu();
    camera_button = toolButton("camera_button", "camera.png");
    buildTeachingTools();
    scan_button = toolButton("scan_button", "scan.png");
    scan_button->setCheckable(true);
    scan_menu = new ScanMenu(host_, scan_button);
    scan_button->setMenu(scan_menu);
    // A click turns scan mode on and off, a held press opens the menu: no arrow, so the strip still fits
    // a 1024-pixel screen.
    scan_button->setPopupMode(QToolButton::DelayedPopup);
}

// Groups of controls between thin lines; the sliders give up width first when the window is narrow, the
// gap before the menu takes what is left over when it is wide.
void ViewControllerLayout::arrangeStrip() {
    stripRow_ = new QHBoxLayout(bottom_view);
    stripRow_->setContentsMargins(kStripMargin, 0, kStripMargin, 0);
    stripRow_->setSpacing(kControlSpacing);
    addGroup({left_rotate_button, ns_slider_rotate, right_rotate_button});
    addSeparator();
    addGroup({actual_1_1_button, suitable_button, zoom_icon, ns_slider_zoom, scale_label});
    stripRow_->addStretch(kSliderStretch * 2);
    addGroup({ctrl_resolve_list});
    addSeparator();
    addGroup({capture_button, record_button, library_button});
    addSeparator();
    addGroup({freeze_button, orientation_button, draw_button, shade_button, scan_button});
    addSeparator();
    addGroup({camera_button, max_window_button});
}

namespace {

// Space presses the strip button that has the keyboard focus; anywhere else it stays the freeze key.
class SpaceForFocusedButton : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() != QEvent::ShortcutOverride) return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Space || key->modifiers() != Qt::NoModifier) return false;
        event->accept();
        return true;
    }
};

}  // namespace

void ViewControllerLayout::addGroup(std::initializer_list<QWidget *> controls) {
    for (QWidget *control : controls) {
        const bool slider = qobject_cast<QSlider *>(control) != nullptr;
        stripRow_->addWidget(control, slider ? kSliderStretch : 0);
        // Tab follows the strip as it is seen, whatever order the controls were made in.
        if (qobject_cast<QAbstractButton *>(control)) {
            if (!spaceForFocused_) spaceForFocused_ = new SpaceForFocusedButton(bottom_view);
            control->installEventFilter(spaceForFocused_);
        }
        if (control->focusPolicy() & Qt::TabFocus) {
            if (lastInStrip_) QWidget::setTabOrder(lastInStrip_, control);
            lastInStrip_ = control;
        }
    }
}

void ViewControllerLayout::addSeparator() {
    auto *line = new QFrame(bottom_view);
    line->setObjectName(QStringLiteral("separator"));
    line->setFixedSize(1, 28);
    stripRow_->addSpacing(kSeparatorGap);
    stripRow_->addWidget(line);
    stripRow_->addSpacing(kSeparatorGap);
}

QToolButton *ViewControllerLayout::toolButton(const char *objectName, const char *picture) {
    auto *button = new QToolButton(bottom_view);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setIcon(QIcon(QStringLiteral(":/pictures/") + QString::fromLatin1(picture)));
    button->setIconSize(QSize(kIconSide, kIconSide));
    button->setFixedSize(kButtonSide, kButtonSide);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

// One compact group: freeze, a menu for mirror, flip and the status overlay, and the drawing tools.
void ViewControllerLayout::buildTeachingTools() {
    freeze_button = toolButton("freeze_button", "freeze.png");
    freeze_button->setCheckable(true);
    freeze_button->setFixedWidth(kButtonSide + kMenuArrowWidth);
    auto *freezeMenu = new QMenu(freeze_button);
    stills_action = action(freezeMenu, "stills_action", true);
    compare_action = action(freezeMenu, "compare_action", true);
    freeze_button->setMenu(freezeMenu);
    freeze_button->setPopupMode(QToolButton::MenuButtonPopup);

    orientation_button = toolButton("orientation_button", "mirror.png");
    auto *orientationMenu = new QMenu(orientation_button);
    mirror_action = action(orientationMenu, "mirror_action", true);
    flip_action = action(orientationMenu, "flip_action", true);
    orientationMenu->addSeparator();
    overlay_action = action(orientationMenu, "overlay_action", true);
    orientation_button->setMenu(orientationMenu);
    orientation_button->setPopupMode(QToolButton::InstantPopup);

    draw_button = toolButton("draw_button", "pen.png");
    draw_button->setFixedWidth(kButtonSide + kMenuArrowWidth);
    draw_button->setCheckable(true);
    auto *drawMenu = new QMenu(draw_button);
    tool_actions = new QActionGroup(drawMenu);
    pan_action = action(drawMenu, "pan_action", true);
    pen_action = action(drawMenu, "pen_action", true);
    pen_action->setIcon(QIcon(QStringLiteral(":/pictures/pen.png")));
    highlighter_action = action(drawMenu, "highlighter_action", true);
    highlighter_action->setIcon(QIcon(QStringLiteral(":/pictures/highlighter.png")));
    eraser_action = action(drawMenu, "eraser_action", true);
    eraser_action->setIcon(QIcon(QStringLiteral(":/pictures/eraser.png")));
    for (QAction *tool : {pan_action, pen_action, highlighter_action, eraser_action})
        tool_actions->addAction(tool);
    pan_action->setChecked(true);
    drawMenu->addSeparator();
    ink_heading_action = action(drawMenu, "ink_heading_action", false);
    ink_heading_action->setEnabled(false);
    colour_actions = new QActionGroup(drawMenu);
    for (const Ink &ink : inks()) {
        QAction *item = action(drawMenu, "colour_action", true);
        item->setIcon(swatch(ink.colour));
        item->setData(ink.colour);
        colour_actions->addAction(item);
    }
    drawMenu->addSeparator();
    undo_action = action(drawMenu, "undo_action", false);
    clear_action = action(drawMenu, "clear_action", false);
    drawMenu->addSeparator();
    capture_drawings_action = action(drawMenu, "capture_drawings_action", false);
    drawMenu->addSeparator();
    whiteboard_action = action(drawMenu, "whiteboard_action", true);
    blackboard_action = action(drawMenu, "blackboard_action", true);
    capture_drawings_action->setIcon(QIcon(QStringLiteral(":/pictures/capture.png")));
    draw_button->setMenu(drawMenu);
    draw_button->setPopupMode(QToolButton::MenuButtonPopup);

    shade_button = toolButton("shade_button", "spotlight.png");
    shade_button->setCheckable(true);
    auto *shadeMenu = new QMenu(shade_button);
    spotlight_action = action(shadeMenu, "spotlight_action", true);
    curtain_action = action(shadeMenu, "curtain_action", true);
    shade_button->setMenu(shadeMenu);
    shade_button->setPopupMode(QToolButton::InstantPopup);
}

// The record button's arrow: the video size of the next recording, one of VideoSize's choices.
void ViewControllerLayout::buildRecordMenu() {
    record_button->setFixedWidth(kButtonSide + kMenuArrowWidth);
    auto *menu = new QMenu(record_button);
    record_size_actions = new QActionGroup(menu);
    for (const VideoSize::Entry &entry : VideoSize::table()) {
        QAction *item = action(menu, entry.actionName, true);
        item->setData(QString::fromLatin1(entry.name));
        record_size_actions->addAction(item);
    }
    menu->addSeparator();
    pause_action = action(menu, "pause_action", false);
    pause_action->setEnabled(false);
    menu->addSeparator();
    timelapse_action = action(menu, "timelapse_action", false);
    record_button->setMenu(menu);
    record_button->setPopupMode(QToolButton::MenuButtonPopup);
}

// The maximise button's menu: full screen, and the screen it fills (a projector beside the laptop).
void ViewControllerLayout::buildScreenMenu() {
    screen_menu = new QMenu(max_window_button);
    full_screen_action = action(screen_menu, "full_screen_action", false);
    screen_menu->addSeparator();
    screen_heading_action = action(screen_menu, "screen_heading_action", false);
    screen_heading_action->setEnabled(false);
    window_screen_action = action(screen_menu, "window_screen_action", true);
    max_window_button->setMenu(screen_menu);
    // A click maximises, a held press opens the menu: no arrow, as the scan button, for a 1024-pixel screen.
    max_window_button->setPopupMode(QToolButton::DelayedPopup);
}

QAction *ViewControllerLayout::action(QMenu *menu, const char *objectName, bool checkable) {
    QAction *item = menu->addAction(QString());
    item->setObjectName(QString::fromLatin1(objectName));
    item->setCheckable(checkable);
    // The window holds the shortcuts, so they work with the menu closed.
    host_->addAction(item);
    return item;
}

void ViewControllerLayout::styleStrip() {
    bottom_view->setStyleSheet(QString::fromLatin1(kStripStyle));
    bottom_view->setAttribute(Qt::WA_StyledBackground);
}
