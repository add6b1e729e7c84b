#include "gridview/SelectionFrameView.h"

#include <QPainter>

#include <cmath>

SelectionFrameView::SelectionFrameView(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SelectionFrameView::setFrame(const QRectF &frame) {
    frame_ = frame;
    setGeometry(frame.toRect());
}

void SelectionFrameView::paintEvent(QPaintEvent *) {
    // Half-pixel origin so the one-pixel outline falls on whole pixels.
    QRectF band(0.5, 0.5, std::floor(double(width())) - 1, std::floor(double(height())) - 1);
    QPainter painter(this);
    painter.fillRect(band, QColor::fromRgbF(0, 0, 0, 0.15f));
    painter.setPen(QPen(Qt::white, 1.0));
    painter.drawRect(band);
}
