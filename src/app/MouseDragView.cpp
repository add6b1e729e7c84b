#include "app/MouseDragView.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

const QColor kBackground(24, 26, 28);

// Smoothing costs a bilinear pass over every painted pixel; it is only needed where pixels do not map one
// to one onto the screen.
bool needsSmoothing(const DisplayGeometry &geometry) {
    return geometry.zoom() != 1.0 || std::fmod(geometry.rotation(), 90.0) != 0.0;
}

}  // namespace

MouseDragView::MouseDragView(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::OpenHandCursor);
    setMinimumSize(1, 1);
}

void MouseDragView::setImage(const QImage &image) {
    image_ = image;
    update();
}

void MouseDragView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    if (image_.isNull()) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, needsSmoothing(geometry_));
    painter.setTransform(geometry_.pictureToArea());
    painter.drawImage(QPointF(0, 0), image_);
}

void MouseDragView::resizeEvent(QResizeEvent *event) {
    geometry_.setAreaSize(event->size());
    QWidget::resizeEvent(event);
}

void MouseDragView::mousePressEvent(QMouseEvent *event) {
    lastPoint_ = event->position();
    setCursor(Qt::ClosedHandCursor);
}

void MouseDragView::mouseMoveEvent(QMouseEvent *event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    const QPointF point = event->position();
    const QPointF origin = geometry_.dragSurfaceFrame().topLeft();
    geometry_.setDragOrigin(point - lastPoint_ + origin);
    lastPoint_ = point;
    update();
}

void MouseDragView::mouseReleaseEvent(QMouseEvent *) {
    setCursor(Qt::OpenHandCursor);
}
