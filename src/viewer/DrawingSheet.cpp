#include "viewer/DrawingSheet.h"

#include <QImage>
#include <QLineF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// The distance from p to the segment a-b.
double distanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a;
    const double lengthSquared = QPointF::dotProduct(ab, ab);
    const double t =
        lengthSquared > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / lengthSquared, 0.0, 1.0) : 0;
    return QLineF(p, a + t * ab).length();
}

QPen penFor(const Stroke &stroke) {
    if (stroke.kind == Stroke::Kind::Highlighter) {
        QColor colour = stroke.colour;
        colour.setAlpha(DrawingSheet::kHighlighterAlpha);
        return QPen(colour, stroke.width, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin);
    }
    return QPen(stroke.colour, stroke.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

}  // namespace

void DrawingSheet::setPictureSize(QSize size) {
    if (size == pictureSize_) return;
    pictureSize_ = size;
    strokes_.clear();
    history_.clear();
    changed();
}

void DrawingSheet::beginStroke(Stroke::Kind kind, const QColor &colour, double width, QPointF at) {
    checkpoint();
    Stroke stroke{kind, colour, width, {at}, QPainterPath(at)};
    // A press without a move still leaves a dot.
    stroke.path.lineTo(at);
    strokes_.push_back(std::move(stroke));
    changed();
}

void DrawingSheet::extendStroke(QPointF at) {
    if (strokes_.empty() || strokes_.back().points.back() == at) return;
    strokes_.back().points.push_back(at);
    strokes_.back().path.lineTo(at);
    ++revision_;
}

bool DrawingSheet::eraseAt(QPointF at, double radius) {
    const auto hit = [&](const Stroke &stroke) { return passesWithin(stroke, at, radius); };
    if (std::none_of(strokes_.begin(), strokes_.end(), hit)) return false;
    if (!eraseCheckpointTaken_) {
        checkpoint();
        eraseCheckpointTaken_ = true;
    }
    std::erase_if(strokes_, hit);
    changed();
    return true;
}

void DrawingSheet::clear() {
    if (strokes_.empty()) return;
    checkpoint();
    strokes_.clear();
    changed();
}

bool DrawingSheet::undo() {
    if (history_.empty()) return false;
    strokes_ = std::move(history_.back());
    history_.pop_back();
    changed();
    return true;
}

void DrawingSheet::checkpoint() {
    history_.push_back(strokes_);
    if (history_.size() > kUndoSteps) history_.erase(history_.begin());
}

bool DrawingSheet::passesWithin(const Stroke &stroke, QPointF at, double radius) {
    const double reach = radius + stroke.width / 2;
    if (stroke.points.size() == 1) return QLineF(at, stroke.points.front()).length() <= reach;
    for (std::size_t i = 1; i < stroke.points.size(); ++i) {
        if (distanceToSegment(at, stroke.points[i - 1], stroke.points[i]) <= reach) return true;
    }
    return false;
}

void DrawingSheet::paint(QPainter &painter, std::optional<std::size_t> count) const {
    const std::size_t end = std::min(count.value_or(strokes_.size()), strokes_.size());
    for (std::size_t i = 0; i < end; ++i) paintStroke(painter, strokes_[i]);
}

void DrawingSheet::paintStroke(QPainter &painter, const Stroke &stroke) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(penFor(stroke));
    painter.drawPath(stroke.path);
    painter.restore();
}

QImage DrawingSheet::burntInto(const QImage &picture) const {
    QImage copy = picture.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&copy);
    paint(painter);
    return copy;
}
