#include "app/ViewControllerLayout.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

constexpr int kButtonSide = 40;
constexpr int kIconSide = 24;
constexpr int kSliderWidth = 150;

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
    border-radius: 8px; padding: 4px 12px; min-width: 120px; min-height: 24px;
}
#ctrl_resolve_list:hover { border-color: white; }
#ctrl_resolve_list::drop-down { border: none; width: 24px; }
#ctrl_resolve_list::down-arrow { image: url(:/pictures/chevron_down.png); width: 12px; height: 12px; }
#ctrl_resolve_list QAbstractItemView {
    color: black; background: white; selection-background-color: rgb(53, 105, 54);
    selection-color: white; outline: none;
}
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

    left_rotate_button = toolButton("left_rotate_button", "rotate_left.png");
    ns_slider_rotate = new CCSlider(bottom_view);
    ns_slider_rotate->setObjectName(QStringLiteral("ns_slider_rotate"));
    ns_slider_rotate->setFixedWidth(kSliderWidth);
    right_rotate_button = toolButton("right_rotate_button", "rotate_right.png");
    actual_1_1_button = toolButton("actual_1_1_button", "actual_size.png");
    suitable_button = toolButton("suitable_button", "fit_size.png");
    auto *zoomIcon = new QLabel(bottom_view);
    zoomIcon->setPixmap(QIcon(QStringLiteral(":/pictures/zoom.png")).pixmap(18, 18));
    ns_slider_zoom = new DoubleSlider(0.1, 2.0, 100, bottom_view);
    ns_slider_zoom->setObjectName(QStringLiteral("ns_slider_zoom"));
    ns_slider_zoom->setFixedWidth(kSliderWidth);
    ns_slider_zoom->setSingleStep(10);  // arrow keys: 0.1
    ns_slider_zoom->setPageStep(25);
    scale_label = new QLabel(bottom_view);
    scale_label->setObjectName(QStringLiteral("scale_label"));
    // Wide enough for "Scale: 10.0x" so the strip does not shift while zooming.
    scale_label->setMinimumWidth(
        scale_label->fontMetrics().horizontalAdvance(QStringLiteral("Scale: 88.8x")) + 8);
    ctrl_resolve_list = new QComboBox(bottom_view);
    ctrl_resolve_list->setObjectName(QStringLiteral("ctrl_resolve_list"));
    ctrl_resolve_list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    capture_button = toolButton("capture_button", "capture.png");
    record_button = toolButton("record_button", "record.png");
    library_button = toolButton("library_button", "library.png");
    max_window_button = toolButton("max_window_button", "max_window.png");

    auto *row = new QHBoxLayout(bottom_view);
    row->setContentsMargins(14, 0, 14, 0);
    row->setSpacing(6);
    row->addWidget(left_rotate_button);
    row->addWidget(ns_slider_rotate);
    row->addWidget(right_rotate_button);
    row->addSpacing(6);
    row->addWidget(separator());
    row->addSpacing(6);
    row->addWidget(actual_1_1_button);
    row->addWidget(suitable_button);
    row->addSpacing(8);
    row->addWidget(zoomIcon);
    row->addWidget(ns_slider_zoom);
    row->addWidget(scale_label);
    row->addStretch(1);
    row->addWidget(ctrl_resolve_list);
    row->addSpacing(6);
    row->addWidget(separator());
    row->addSpacing(6);
    row->addWidget(capture_button);
    row->addWidget(record_button);
    row->addWidget(library_button);
    row->addSpacing(6);
    row->addWidget(separator());
    row->addSpacing(6);
    row->addWidget(max_window_button);
    styleStrip();
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

QFrame *ViewControllerLayout::separator() {
    auto *line = new QFrame(bottom_view);
    line->setObjectName(QStringLiteral("separator"));
    line->setFixedSize(1, 28);
    return line;
}

void ViewControllerLayout::styleStrip() {
    bottom_view->setStyleSheet(QString::fromLatin1(kStripStyle));
    bottom_view->setAttribute(Qt::WA_StyledBackground);
}
