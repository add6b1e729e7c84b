#include "app/DrawingLayer.h"

#include <QPainter>

#include <cmath>

void DrawingLayer::paint(QPainter &painter, const DrawingSheet &sheet, const QTransform &toArea, QSize area,
                         double ratio, const QRect &dirty, bool lastIsGrowing) {
    const std::size_t cached = sheet.strokes().size() - (lastIsGrowing && !sheet.isEmpty() ? 1 : 0);
    const Key key{lastIsGrowing ? sheet.baseRevision() : sheet.revision(), cached, toArea,
                  (QSizeF(area) * ratio).toSize()};
    if (!valid_ || !(key == key_)) {
        key_ = key;
        valid_ = true;
        rebuild(sheet, cached, toArea, ratio);
    }
    painter.save();
    painter.resetTransform();
    painter.setClipRect(dirty);
    // The copies are one to one: smoothing would send them down Qt's slower scaling path.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QRectF dirtyPixels(QRectF(dirty).topLeft() * ratio, QRectF(dirty).size() * ratio);
    for (const QRect &tile : tiles_) {
        if (!dirtyPixels.intersects(tile)) continue;
        painter.drawImage(QRectF(QPointF(tile.topLeft()) / ratio, QSizeF(tile.size()) / ratio), cache_, tile);
    }
    if (cached < sheet.strokes().size()) {
        painter.setTransform(toArea);
        DrawingSheet::paintStroke(painter, sheet.strokes().back());
    }
    painter.restore();
}

void DrawingLayer::rebuild(const DrawingSheet &sheet, std::size_t strokes, const QTransform &toArea,
                           double ratio) {
    tiles_.clear();
    if (cache_.size() != key_.pixels) {
        cache_ = QImage(key_.pixels, QImage::Format_ARGB32_Premultiplied);
        cache_.setDevicePixelRatio(ratio);
    }
    cache_.fill(Qt::transparent);
    if (strokes == 0 || cache_.isNull()) return;
    // Only where the strokes can be: their outlines' bounds, widened by the thickest pen.
    QRectF bounds;
    double widest = 0;
    for (std::size_t i = 0; i < strokes; ++i) {
        bounds |= sheet.strokes()[i].path.controlPointRect();
        widest = std::max(widest, sheet.strokes()[i].width);
    }
    bounds.adjust(-widest, -widest, widest, widest);
    QPainter painter(&cache_);
    painter.setTransform(toArea);
    sheet.paint(painter, strokes);
    painter.end();
    const QRectF onScreen = toArea.mapRect(bounds);
    findInkedTiles(QRectF(onScreen.topLeft() * ratio, onScreen.size() * ratio).toAlignedRect() &
                   cache_.rect());
}

void DrawingLayer::findInkedTiles(const QRect &within) {
    if (within.isEmpty()) return;
    const int firstColumn = within.left() / kTileSide, lastColumn = within.right() / kTileSide;
    const int firstRow = within.top() / kTileSide, lastRow = within.bottom() / kTileSide;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = firstColumn; column <= lastColumn; ++column) {
            const QRect tile =
                QRect(column * kTileSide, row * kTileSide, kTileSide, kTileSide) & cache_.rect();
            bool inked = false;
            for (int y = tile.top(); y <= tile.bottom() && !inked; ++y) {
                const auto *line = reinterpret_cast<const QRgb *>(cache_.constScanLine(y));
                for (int x = tile.left(); x <= tile.right(); ++x) {
                    if (qAlpha(line[x]) != 0) {
                        inked = true;
                        break;
                    }
                }
            }
            if (!inked) continue;
            // Neighbours in a row are copied in one piece: fewer draw calls.
            if (!tiles_.empty() && tiles_.back().top() == tile.top() &&
                tiles_.back().right() + 1 == tile.left()) {
                tiles_.back().setRight(tile.right());
            } else {
                tiles_.push_back(tile);
            }
        }
    }
}
