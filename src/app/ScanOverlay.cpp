#include "app/ScanOverlay.h"

#include "app/MouseDragView.h"
#include "app/PageOutline.h"

#include <QPaintEvent>
#include <QPainter>

ScanOverlay::ScanOverlay(MouseDragView &view, const PageOutline &outline)
    : QWidget(&view), view_(view), outline_(outline) {
    setObjectName(QStringLiteral("scan_overlay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(view.rect());
    lower();  // under the notices over the picture
}

void ScanOverlay::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    painter.setClipRect(event->rect());
    outline_.paint(painter, view_.displayGeometry().pictureToArea());
}
