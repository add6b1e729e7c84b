#include "app/Notice.h"

namespace {
constexpr int kBottomGap = 24;  // above the picture's bottom edge and the no-device note
}

Notice::Notice(QWidget *over) : QLabel(over) {
    setObjectName(QStringLiteral("notice"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setStyleSheet(QStringLiteral(
        "#notice { color: white; background: rgba(0, 0, 0, 170); border-radius: 8px; padding: 8px 14px; }"));
    hideTimer_.setSingleShot(true);
    hideTimer_.setInterval(kShownFor);
    connect(&hideTimer_, &QTimer::timeout, this, &QWidget::hide);
    hide();
}

void Notice::tell(const QString &text) {
    setText(text);
    adjustSize();
    place();
    show();
    raise();
    hideTimer_.start();
}

void Notice::place() {
    const QWidget *area = parentWidget();
    move((area->width() - width()) / 2, area->height() - height() - 3 * kBottomGap);
}
