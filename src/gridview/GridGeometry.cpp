#include "gridview/GridGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

// Non-negative whole number from a floating-point result; negative and NaN inputs give 0.
std::uint64_t toCount(double value) {
    return value > 0 ? static_cast<std::uint64_t>(value) : 0;
}

// A length divided by an item extent, the length and the quotient each rounded to single precision.
float singleQuotient(double length, double extent) {
    return static_cast<float>(static_cast<double>(static_cast<float>(length)) / extent);
}

}  // namespace

std::uint64_t GridGeometry::columns() const {
    if (itemSize.width() <= 0) return 1;
    std::uint64_t columns = toCount(std::floor(singleQuotient(visibleRect.width(), itemSize.width())));
    return columns == 0 ? 1 : columns;
}

std::uint64_t GridGeometry::allOverRows() const {
    return toCount(std::ceil(static_cast<float>(numberOfItems) / static_cast<float>(columns())));
}

std::uint64_t GridGeometry::visibleRows() const {
    if (itemSize.height() <= 0) return 0;
    return toCount(std::ceil(singleQuotient(visibleRect.height(), itemSize.height())));
}

double GridGeometry::centredInset() const {
    double spare = visibleRect.width() - itemSize.width() * static_cast<double>(columns());
    return std::floor(static_cast<float>(spare) * 0.5f);
}

double GridGeometry::contentHeight() const {
    return 2 * contentInset + itemSize.height() * static_cast<double>(allOverRows());
}

QRectF GridGeometry::rectForItemAtIndex(GridIndex index) const {
    std::uint64_t cols = columns();
    double column = static_cast<double>(index % cols);
    double row = static_cast<double>(index / cols);
    double w = itemSize.width(), h = itemSize.height();
    return QRectF(w * column + contentInset, h * row + contentInset, w, h);
}

GridIndex GridGeometry::indexForItemAtPoint(const QPointF &point) const {
    std::uint64_t cols = columns();
    double w = itemSize.width(), h = itemSize.height();
    if (w <= 0 || h <= 0) return kNotFound;
    // The right edge itself belongs to no item: a point there would otherwise wrap to the next row.
    if (point.x() >= static_cast<double>(cols) * w + contentInset) return kNotFound;
    if (point.x() < contentInset || point.y() < contentInset) return kNotFound;
    std::uint64_t column = toCount(std::floor((point.x() - contentInset) / w));
    std::uint64_t row = toCount(std::floor((point.y() - contentInset) / h));
    if (row >= kNotFound / cols) return kNotFound;
    GridIndex index = row * cols + column;
    return index >= numberOfItems ? kNotFound : index;
}

ItemPoint GridGeometry::locationForItemAtIndex(GridIndex index) const {
    std::uint64_t cols = columns();
    std::uint64_t row = index / cols + 1;
    return MakeItemPoint(index - (row - 1) * cols + 1, row);
}

GridRange GridGeometry::visibleItemRange() const {
    std::uint64_t cols = columns();
    double h = itemSize.height();
    GridIndex start = 0;
    if (h > 0 && visibleRect.y() > h) {
        start = (toCount(std::ceil(static_cast<float>(visibleRect.y() / h))) - 1) * cols;
    }
    GridIndex count = std::min<GridIndex>(numberOfItems, visibleRows() * cols + cols);
    if (start + count > numberOfItems)
        return GridRange{start, numberOfItems > start ? numberOfItems - start : 0};
    return GridRange{start, count};
}

GridIndex GridGeometry::boundIndexForPoint(const QPointF &point) const {
    std::uint64_t cols = columns();
    double w = itemSize.width(), h = itemSize.height();
    if (w <= 0 || h <= 0) return 0;
    std::uint64_t column = toCount(std::floor(std::min(static_cast<double>(cols) * w, point.x()) / w));
    std::uint64_t row = toCount(std::floor(point.y() / h));
    return row * cols + column;
}

QRectF GridGeometry::selectionFrame(const QPointF &start, const QPointF &pointer) const {
    const QRectF &v = visibleRect;
    double x = std::max(v.x(), std::ceil(std::min(start.x(), pointer.x())));
    double y = std::max(v.y(), std::ceil(std::min(start.y(), pointer.y())));
    double width = pointer.x() > start.x() ? pointer.x() - start.x() : start.x() - x;
    double columnsWidth = static_cast<double>(columns()) * itemSize.width();
    if (x + width >= columnsWidth) width = columnsWidth - x - 1;
    double height = pointer.y() > start.y() ? pointer.y() - start.y() : start.y() - y;
    double visibleBottom = v.y() + v.height();
    if (y + height > visibleBottom) height = visibleBottom - y;
    return QRectF(x, y, width, height);
}

bool GridGeometry::bandCovers(const QRectF &band, GridIndex index) const {
    ItemPoint first = locationForItemAtIndex(boundIndexForPoint(band.topLeft()));
    ItemPoint last = locationForItemAtIndex(boundIndexForPoint(band.bottomRight()));
    ItemPoint p = locationForItemAtIndex(index);
    return p.column >= first.column && p.column <= last.column && p.row >= first.row && p.row <= last.row;
}

std::vector<GridIndex> GridGeometry::indexesCoveredByBand(const QRectF &band) const {
    if (band.width() <= 0 || band.height() <= 0) return {};
    ItemPoint first = locationForItemAtIndex(boundIndexForPoint(band.topLeft()));
    ItemPoint last = locationForItemAtIndex(boundIndexForPoint(band.bottomRight()));
    std::uint64_t cols = columns();
    // Cut at the last row and column; a band that starts below the last row covers nothing.
    std::uint64_t lastRow = std::min(last.row, allOverRows()), lastColumn = std::min(last.column, cols);
    std::vector<GridIndex> indexes;
    for (std::uint64_t row = first.row; row <= lastRow; ++row) {
        for (std::uint64_t column = first.column; column <= lastColumn; ++column) {
            GridIndex index = (row - 1) * cols + column - 1;
            if (index < numberOfItems) indexes.push_back(index);
        }
    }
    return indexes;
}
