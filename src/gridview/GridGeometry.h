#pragma once

// The grid's layout maths, free of any widget: columns, rows, the centring inset, where an item goes and
// which item lies under a point. All coordinates are the grid's own (y grows downwards). Several results
// are taken in single precision on purpose: column and row counts must come out the same as they always
// have for widths that are exact multiples of the item width.

#include "gridview/GridViewTypes.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <cstdint>
#include <vector>

struct GridGeometry {
    QRectF visibleRect;           // the part of the grid the scroll area shows (all zero without one)
    QSizeF itemSize;              // W x H
    GridIndex numberOfItems = 0;  // N
    double contentInset = 0;      // I: left and top margin of the item area

    // At least 1.
    std::uint64_t columns() const;
    // Rows needed for all items.
    std::uint64_t allOverRows() const;
    // Rows that fit in the visible height, a partly shown one included.
    std::uint64_t visibleRows() const;
    // The margin that centres the columns in the visible width.
    double centredInset() const;
    // 2 I + H x rows: the height the grid needs.
    double contentHeight() const;

    QRectF rectForItemAtIndex(GridIndex index) const;
    // kNotFound for points in the margins, right of the last column or past the last item.
    GridIndex indexForItemAtPoint(const QPointF &point) const;
    ItemPoint locationForItemAtIndex(GridIndex index) const;
    // The rows in view plus one spare row, cut to the items there are.
    GridRange visibleItemRange() const;

    // The rubber band's cell under a point: no inset and no bounds check, x held to the item columns.
    GridIndex boundIndexForPoint(const QPointF &point) const;
    // The rubber band from its start point to the pointer: kept inside the columns and the visible rows.
    QRectF selectionFrame(const QPointF &start, const QPointF &pointer) const;
    // Whether a band covers the cell of index: the cell's column and row lie between those of the cells
    // under the band's top left and bottom right corners (boundIndexForPoint).
    bool bandCovers(const QRectF &band, GridIndex index) const;
    // The items whose cells a band covers, row by row; none for a band without area or below the last row.
    std::vector<GridIndex> indexesCoveredByBand(const QRectF &band) const;
};
