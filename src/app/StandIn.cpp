#include "app/StandIn.h"

#include <QBuffer>

namespace {
constexpr int kJpegQuality = 90;
}

StandIn::StandIn(MouseDragView &view, Hooks hooks) : view_(view), hooks_(std::move(hooks)) {
    encodeTimer_.setSingleShot(true);
    encodeTimer_.setInterval(kRecordedAfterMs);
    connect(&encodeTimer_, &QTimer::timeout, this, &StandIn::encodeForRecording);
    connect(&view_, &MouseDragView::drawingChanged, this, [this] {
        if (on() && !encodeTimer_.isActive()) encodeTimer_.start();
    });
}

DrawingSheet StandIn::show(Kind kind, const QImage &picture, const DrawingSheet &strokes) {
    DrawingSheet before;
    if (on())
        before = view_.drawingSheet();
    else
        cameraStrokes_ = view_.drawingSheet();
    kind_ = kind;
    picture_ = picture;
    view_.drawingSheet() = strokes;
    view_.drawingSheet().setPictureSize(picture.size());
    view_.setNote(QString());
    view_.setImage(picture_);
    encodeForRecording();
    hooks_.changed(kind_);
    return before;
}

DrawingSheet StandIn::leave() {
    if (!on()) return {};
    DrawingSheet strokes = view_.drawingSheet();
    view_.drawingSheet() = cameraStrokes_;
    kind_ = Kind::None;
    picture_ = QImage();
    {
        const std::lock_guard lock(bytesMutex_);
        bytes_.reset();
    }
    hooks_.backToCamera();
    hooks_.changed(kind_);
    return strokes;
}

QImage StandIn::picture(bool withDrawings) const {
    if (!on()) return {};
    return withDrawings && !view_.drawingSheet().isEmpty() ? view_.drawingSheet().burntInto(picture_)
                                                           : picture_;
}

ImageBytes StandIn::frameBytes() const {
    const std::lock_guard lock(bytesMutex_);
    return bytes_;
}

void StandIn::encodeForRecording() {
    if (!on()) return;
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    picture(true).save(&buffer, "JPG", kJpegQuality);
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(jpeg.begin(), jpeg.end());
    const std::lock_guard lock(bytesMutex_);
    bytes_ = std::move(bytes);
}
