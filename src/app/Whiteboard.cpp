#include "app/Whiteboard.h"

#include <QBuffer>

namespace {
constexpr int kJpegQuality = 90;
}

Whiteboard::Whiteboard(MouseDragView &view, Hooks hooks) : view_(view), hooks_(std::move(hooks)) {
    encodeTimer_.setSingleShot(true);
    encodeTimer_.setInterval(kRecordedAfterMs);
    connect(&encodeTimer_, &QTimer::timeout, this, &Whiteboard::encodeForRecording);
    connect(&view_, &MouseDragView::drawingChanged, this, [this] {
        if (on() && !encodeTimer_.isActive()) encodeTimer_.start();
    });
}

void Whiteboard::toggle(Page page) {
    show(page == page_ ? Page::None : page);
}

void Whiteboard::show(Page page) {
    if (page == page_) return;
    const bool wasOn = on();
    if (page == Page::None) {
        boardStrokes_ = view_.drawingSheet();
        view_.drawingSheet() = cameraStrokes_;
        page_ = Page::None;
        {
            const std::lock_guard lock(bytesMutex_);
            bytes_.reset();
        }
        hooks_.backToCamera();
    } else {
        const QSize camera = hooks_.cameraSize();
        const QSize size = camera.isValid() ? camera : kDefaultSize;
        if (!wasOn) cameraStrokes_ = view_.drawingSheet();
        blank_ = QImage(size, QImage::Format_RGB32);
        blank_.fill(page == Page::White ? Qt::white : QColor(20, 20, 20));
        page_ = page;
        if (!wasOn) {
            // The page keeps its strokes between visits while it stays the camera's size.
            view_.drawingSheet() = boardStrokes_;
            view_.drawingSheet().setPictureSize(size);
        }
        view_.setNote(QString());
        view_.setImage(blank_);
        encodeForRecording();
    }
    hooks_.changed(page_);
}

QImage Whiteboard::picture(bool withDrawings) const {
    if (!on()) return {};
    return withDrawings && !view_.drawingSheet().isEmpty() ? view_.drawingSheet().burntInto(blank_) : blank_;
}

ImageBytes Whiteboard::frameBytes() const {
    const std::lock_guard lock(bytesMutex_);
    return bytes_;
}

void Whiteboard::encodeForRecording() {
    if (!on()) return;
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    picture(true).save(&buffer, "JPG", kJpegQuality);
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(jpeg.begin(), jpeg.end());
    const std::lock_guard lock(bytesMutex_);
    bytes_ = std::move(bytes);
}
