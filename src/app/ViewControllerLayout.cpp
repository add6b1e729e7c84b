#include "app/ViewControllerLayout.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

constexpr int kButtonSide = 40;
constexpr int kIconSide = 24;
constexpr int kStripMargin = 10;
constexpr int kControlSpacing = 6;
constexpr int kSeparatorGap = 4;  // on each side of a separator, besides the spacing
// The sliders shrink to their minimum before the window does: at its minimum width the window fits a
// 1024-pixel screen with room for more buttons.
constexpr int kSliderWidth = 150;
constexpr int kSliderMinimumWidth = 80;
constexpr int kSliderStretch = 1;

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
#ctrl_resolve_list {
    color: white; background: rgba(0, 0, 0, 40); border: 1px solid rgba(255, 255, 255, 110);
    border-radius: 8px; padding: 4px 8px; min-height: 24px;
}
#ctrl_resolve_list:hover { border-color: white; }
#ctrl_resolve_list::drop-down { border: none; width: 20px; }
#ctrl_resolve_list::down-arrow { image: url(:/pictures/chevron_down.png); width: 12px; height: 12px; }
#ctrl_resolve_list QAbstractItemView { background: white; outline: none; }
#separator { background: rgba(255, 255, 255, 60); }
)";

}  // namespace

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
    library_button = toolButton("library_button", "library.png");
    max_window_button = toolButton("max_window_button", "max_window.png");
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
    addGroup({max_window_button});
}

void ViewControllerLayout::addGroup(std::initializer_list<QWidget *> controls) {
    for (QWidget *control : controls) {
        const bool slider = qobject_cast<QSlider *>(control) != nullptr;
        stripRow_->addWidget(control, slider ? kSliderStretch : 0);
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

void ViewControllerLayout::styleStrip() {
    bottom_view->setStyleSheet(QString::fromLatin1(kStripStyle));
    bottom_view->setAttribute(Qt::WA_StyledBackground);
}
