#include "app/MouseDragView.h"

#include "app/PaintBands.h"
#include "viewer/CompareLayout.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

const QColor kBackground(24, 26, 28);
const QColor kFrozenColour(64, 156, 255);
const QColor kRecordingColour(211, 47, 47);
constexpr int kFrozenFrame = 4;
constexpr int kCornerMargin = 12;  // between the corner panel and the view's corner

// Smoothing costs a bilinear pass over every painted pixel; it is only needed where pixels do not map one
// to one onto the screen.
bool needsSmoothing(const DisplayGeometry &geometry) {
    return geometry.zoom() != 1.0 || std::fmod(geometry.rotation(), 90.0) != 0.0;
}

}  // namespace

MouseDragView::MouseDragView(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(idleCursor());
    setMinimumSize(1, 1);
}

void MouseDragView::setImage(const QImage &image, QSize pictureSize) {
    image_ = image;
    pictureSize_ = image.isNull() ? QSize() : pictureSize;
    newPicture_ = !image.isNull();
    update();
}

void MouseDragView::setTool(Tool tool) {
    tool_ = tool;
    drawing_ = false;
    setCursor(idleCursor());
}

void MouseDragView::setFrozenMark(const QString &label) {
    frozenLabel_ = label;
    update();
}

void MouseDragView::setNote(const QString &text) {
    if (text == note_) return;
    note_ = text;
    update();
}

void MouseDragView::setRecordingBadge(const QString &text) {
    if (text == recordingBadge_) return;
    recordingBadge_ = text;
    update();
}

void MouseDragView::setCornerPanel(const QImage &panel) {
    const QRect before = cornerPanelRect();
    cornerPanel_ = panel;
    update(before | cornerPanelRect());
}

QRect MouseDragView::cornerPanelRect() const {
    if (cornerPanel_.isNull()) return {};
    return QRect(QPoint(kCornerMargin, kCornerMargin), cornerPanel_.deviceIndependentSize().toSize());
}

Qt::CursorShape MouseDragView::idleCursor() const {
    return tool_ == Tool::Pan ? Qt::OpenHandCursor : Qt::CrossCursor;
}

void MouseDragView::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    if (!comparison_.isNull()) {
        paintComparison(painter);
        if (newPicture_) {
            newPicture_ = false;
            emit pictureDrawn();
        }
        return;
    }
    const QTransform toArea = geometry_.pictureToArea();
    for (const QRect &part : uncoveredParts(toArea) & event->region()) painter.fillRect(part, kBackground);
    if (!image_.isNull()) paintPicture(painter, toArea, event->rect());
    if (showsDrawings() && !sheet_.isEmpty())
        layer_.paint(painter, sheet_, toArea, size(), devicePixelRatioF(), event->rect(), drawing_);
    painter.resetTransform();
    painter.setClipRect(event->rect());
    // What follows is drawn one to one: with smoothing on, Qt would take its slower scaling path.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (shades_.any() && !image_.isNull()) shades_.paint(painter, pictureFrame(toArea));
    if (!frozenLabel_.isEmpty()) paintFrozenMark(painter);
    if (!recordingBadge_.isEmpty()) paintRecordingBadge(painter);
    if (!note_.isEmpty()) paintNote(painter);
    if (!cornerPanel_.isNull()) paintCornerPanel(painter);
    if (newPicture_) {
        newPicture_ = false;
        emit pictureDrawn();
    }
}

void MouseDragView::paintPicture(QPainter &painter, const QTransform &toArea, const QRect &dirty) {
    const QRectF picture(QPointF(0, 0), QSizeF(pictureSize_));
    const QRect target = toArea.mapRect(picture).toAlignedRect() & dirty;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, needsSmoothing(geometry_));
    forEachPaintBand(target, [&](const QRect &band) {
        painter.resetTransform();
        painter.setClipRect(band);
        painter.setTransform(toArea);
        if (image_.size() == pictureSize_)
            painter.drawImage(QPointF(0, 0), image_);
        else
            painter.drawImage(picture, image_, QRectF(image_.rect()));
    });
}

void MouseDragView::paintFrozenMark(QPainter &painter) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kFrozenColour, kFrozenFrame));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(kFrozenFrame / 2.0, kFrozenFrame / 2.0, -kFrozenFrame / 2.0,
                                             -kFrozenFrame / 2.0));
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    const QRect text = painter.fontMetrics().boundingRect(frozenLabel_);
    const QRectF pill(QPointF((width() - text.width()) / 2.0 - 14, kFrozenFrame),
                      QSizeF(text.width() + 28, text.height() + 10));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kFrozenColour);
    painter.drawRoundedRect(pill, pill.height() / 2, pill.height() / 2);
    painter.setPen(Qt::white);
    painter.drawText(pill, Qt::AlignCenter, frozenLabel_);
    painter.restore();
}

void MouseDragView::paintRecordingBadge(QPainter &painter) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    const QRect text = painter.fontMetrics().boundingRect(recordingBadge_);
    const QRectF pill(QPointF(width() - kCornerMargin - text.width() - 36, kCornerMargin),
                      QSizeF(text.width() + 36, text.height() + 10));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kRecordingColour);
    painter.drawRoundedRect(pill, pill.height() / 2, pill.height() / 2);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(pill.left() + 14, pill.center().y()), 4.5, 4.5);
    painter.setPen(Qt::white);
    painter.drawText(pill.adjusted(22, 0, -8, 0), Qt::AlignCenter, recordingBadge_);
    painter.restore();
}

QRectF MouseDragView::noteRect(const QFontMetrics &metrics) const {
    const QRect text = metrics.boundingRect(QRect(0, 0, width() - 4 * kCornerMargin, height()),
                                            Qt::AlignCenter | Qt::TextWordWrap, note_);
    return {QPointF((width() - text.width()) / 2.0 - 12, height() - kCornerMargin - text.height() - 12),
            QSizeF(text.width() + 24, text.height() + 12)};
}

void MouseDragView::paintNote(QPainter &painter) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF pill = noteRect(painter.fontMetrics());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 150));
    painter.drawRoundedRect(pill, 8, 8);
    painter.setPen(Qt::white);
    painter.drawText(pill, Qt::AlignCenter | Qt::TextWordWrap, note_);
    painter.restore();
}

void MouseDragView::paintCornerPanel(QPainter &painter) {
    // In bands, like the picture: a taller draw goes to Qt's painting threads, whose hand-over costs more
    // than this small copy.
    const QPoint at = cornerPanelRect().topLeft();
    const double ratio = cornerPanel_.devicePixelRatio();
    forEachPaintBand(cornerPanel_.rect(), [&](const QRect &band) {
        painter.drawImage(QRectF(QPointF(at) + QPointF(0, band.top() / ratio), QSizeF(band.size()) / ratio),
                          cornerPanel_, band);
    });
}

void MouseDragView::wheelEvent(QWheelEvent *event) {
    // 120 is one notch of a common wheel; touchpads send fractions of it.
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0 && shades_.spotlight()) {
        shades_.resizeSpotlight(steps);
        update();
    } else if (steps != 0) {
        emit wheelTurned(event->position(), steps);
    }
    event->accept();
}

void MouseDragView::setSpotlight(bool on) {
    shades_.setSpotlight(on);
    // The light follows the pointer without a button held.
    setMouseTracking(on);
    if (on) shades_.moveSpotlight(mapFromGlobal(QCursor::pos()));
    update();
}

void MouseDragView::setCurtain(bool on) {
    shades_.setCurtain(on, pictureFrame(geometry_.pictureToArea()).top());
    update();
}

void MouseDragView::setComparison(const QImage &still) {
    comparison_ = still;
    divider_ = CompareLayout::kMiddle;
    update();
}

QImage MouseDragView::composedComparison(const QImage &livePicture) const {
    return CompareLayout::compose(livePicture, comparison_, QSizeF(size()), divider_, kBackground);
}

void MouseDragView::paintComparison(QPainter &painter) {
    painter.fillRect(rect(), kBackground);
    const auto [left, right] = CompareLayout::parts(QSizeF(size()), divider_);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!image_.isNull()) {
        // The live picture mirrored and flipped as elsewhere, by the painter rather than by a copy per
        // picture; turn and zoom are the single view's.
        const QSizeF size(pictureSize_);
        const QRectF target = CompareLayout::fitted(size, left);
        const QTransform toTarget =
            geometry_.orientation().transform(size) *
            QTransform::fromScale(target.width() / size.width(), target.height() / size.height()) *
            QTransform::fromTranslate(target.left(), target.top());
        painter.save();
        painter.setTransform(toTarget, true);
        painter.drawImage(QRectF(QPointF(0, 0), size), image_);
        painter.restore();
    }
    painter.drawImage(CompareLayout::fitted(QSizeF(comparison_.size()), right), comparison_);
    painter.fillRect(QRectF(right.left() - 1, 0, 2, height()), QColor(255, 255, 255, 160));
}

bool MouseDragView::nearDivider(QPointF point) const {
    constexpr double kGrab = 8;
    return std::abs(point.x() - width() * CompareLayout::heldDivider(divider_)) <= kGrab;
}

QRectF MouseDragView::pictureFrame(const QTransform &toArea) const {
    return toArea.mapRect(QRectF(QPointF(0, 0), QSizeF(pictureSize_)));
}

QRegion MouseDragView::uncoveredParts(const QTransform &toArea) const {
    QRegion uncovered(rect());
    if (image_.isNull() || std::fmod(geometry_.rotation(), 90.0) != 0.0) return uncovered;
    // Pixels whose centres lie inside the turned picture's frame are all painted by the picture.
    const QRectF frame = toArea.mapRect(QRectF(QPointF(0, 0), QSizeF(pictureSize_)));
    const QPoint topLeft(int(std::ceil(frame.left())), int(std::ceil(frame.top())));
    const QPoint bottomRight(int(std::floor(frame.right())) - 1, int(std::floor(frame.bottom())) - 1);
    return uncovered - QRect(topLeft, bottomRight);
}

void MouseDragView::resizeEvent(QResizeEvent *event) {
    geometry_.setAreaSize(event->size());
    QWidget::resizeEvent(event);
}

void MouseDragView::mousePressEvent(QMouseEvent *event) {
    if (!note_.isEmpty() && event->button() == Qt::LeftButton &&
        noteRect(fontMetrics()).contains(event->position())) {
        emit noteClicked();
        return;
    }
    lastPoint_ = event->position();
    if (!comparison_.isNull()) {
        movingDivider_ = event->button() == Qt::LeftButton && nearDivider(event->position());
        return;
    }
    drawing_ = tool_ != Tool::Pan && showsDrawings() && event->button() == Qt::LeftButton;
    movingCurtain_ = !drawing_ && shades_.curtain() && event->button() == Qt::LeftButton;
    if (movingCurtain_) return;
    if (drawing_) {
        draw(event->position(), true);
        return;
    }
    setCursor(Qt::ClosedHandCursor);
}

void MouseDragView::mouseMoveEvent(QMouseEvent *event) {
    const QPointF point = event->position();
    if (shades_.spotlight()) {
        // Only where the light was and is: the pointer moves more often than pictures come.
        const QRect before = shades_.spotlightRect();
        shades_.moveSpotlight(point);
        update(before | shades_.spotlightRect());
    }
    if (!(event->buttons() & Qt::LeftButton)) return;
    if (!comparison_.isNull()) {
        if (movingDivider_) {
            divider_ = CompareLayout::heldDivider(point.x() / std::max(1, width()));
            update();
        }
        return;
    }
    if (drawing_) {
        draw(point, false);
    } else if (movingCurtain_) {
        shades_.dragCurtain(point.y() - lastPoint_.y(), height());
        update();
    } else {
        const QPointF origin = geometry_.dragSurfaceFrame().topLeft();
        geometry_.setDragOrigin(point - lastPoint_ + origin);
        update();
    }
    lastPoint_ = point;
}

void MouseDragView::mouseReleaseEvent(QMouseEvent *) {
    drawing_ = false;
    movingCurtain_ = false;
    movingDivider_ = false;
    setCursor(idleCursor());
}

void MouseDragView::draw(QPointF areaPoint, bool first) {
    const std::optional<QPointF> point = geometry_.areaToPicture(areaPoint);
    if (!point) return;
    // Screen sizes become picture sizes at the zoom of the moment.
    const double toPicture = 1.0 / geometry_.zoom();
    bool changed = true;
    switch (tool_) {
        case Tool::Pen:
        case Tool::Highlighter: {
            const bool pen = tool_ == Tool::Pen;
            if (first) {
                sheet_.beginStroke(pen ? Stroke::Kind::Pen : Stroke::Kind::Highlighter, inkColour(tool_),
                                   (pen ? kPenWidth : kHighlighterWidth) * toPicture, *point);
            } else {
                sheet_.extendStroke(*point);
            }
            break;
        }
        case Tool::Eraser:
            if (first) sheet_.beginErase();
            changed = sheet_.eraseAt(*point, kEraserRadius * toPicture);
            break;
        case Tool::Pan:
            return;
    }
    if (!changed) return;
    update();
    emit drawingChanged();
}
