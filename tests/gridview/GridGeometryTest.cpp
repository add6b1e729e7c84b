#include "gridview/GridGeometry.h"

#include <gtest/gtest.h>

namespace {

GridGeometry grid(double visibleWidth, double visibleHeight, GridIndex items, double inset = 0,
                  double y = 0) {
    return GridGeometry{QRectF(0, y, visibleWidth, visibleHeight), QSizeF(200, 150), items, inset};
}

TEST(GridGeometryTest, ColumnsAreWholeItemsAndNeverZero) {
    EXPECT_EQ(grid(620, 600, 10).columns(), 3u);
    EXPECT_EQ(grid(600, 600, 10).columns(), 3u);
    EXPECT_EQ(grid(599.9, 600, 10).columns(), 2u);
    EXPECT_EQ(grid(199, 600, 10).columns(), 1u);
    EXPECT_EQ(grid(0, 0, 10).columns(), 1u);
    // The width is rounded to single precision first: a hair under 600 counts as 600.
    EXPECT_EQ(grid(599.99999999, 600, 10).columns(), 3u);
}

TEST(GridGeometryTest, RowsAndHeight) {
    GridGeometry g = grid(620, 600, 10);
    EXPECT_EQ(g.allOverRows(), 4u);
    EXPECT_DOUBLE_EQ(g.contentHeight(), 600);
    EXPECT_EQ(grid(620, 600, 9).allOverRows(), 3u);
    EXPECT_EQ(grid(620, 600, 0).allOverRows(), 0u);
    EXPECT_EQ(g.visibleRows(), 4u);
    EXPECT_EQ(grid(620, 601, 10).visibleRows(), 5u);  // a partly shown row counts
    EXPECT_EQ(grid(620, 0, 10).visibleRows(), 0u);
    // The inset is a margin above and below.
    EXPECT_DOUBLE_EQ(grid(700, 600, 10, 50).contentHeight(), 700);
}

TEST(GridGeometryTest, CentredInsetShiftsItemsAcrossAndDown) {
    GridGeometry g = grid(700, 600, 10);
    EXPECT_EQ(g.columns(), 3u);
    EXPECT_DOUBLE_EQ(g.centredInset(), 50);
    g.contentInset = g.centredInset();
    EXPECT_EQ(g.rectForItemAtIndex(4), QRectF(250, 200, 200, 150));
    EXPECT_EQ(g.rectForItemAtIndex(0), QRectF(50, 50, 200, 150));
    EXPECT_DOUBLE_EQ(grid(701, 600, 10).centredInset(), 50);  // floored
}

TEST(GridGeometryTest, ItemAtPoint) {
    GridGeometry g = grid(620, 600, 10);
    EXPECT_EQ(g.indexForItemAtPoint(QPointF(0, 0)), 0u);
    EXPECT_EQ(g.indexForItemAtPoint(QPointF(250, 200)), 4u);
    EXPECT_EQ(g.indexForItemAtPoint(QPointF(599.5, 10)), 2u);
    EXPECT_EQ(g.indexForItemAtPoint(QPointF(610, 10)), kNotFound);  // right of the last column
    // The right edge itself: not the first item of the next row.
    EXPECT_EQ(g.indexForItemAtPoint(QPointF(600, 10)), kNotFound);
    EXPECT_EQ(g.indexForItemAtPoint(QPointF(10, 460)), 9u);
    EXPECT_EQ(g.indexForItemAtPoint(QPointF(210, 460)), kNotFound);  // beside the last item
    EXPECT_EQ(g.indexForItemAtPoint(QPointF(10, 610)), kNotFound);   // below it
    EXPECT_EQ(g.indexForItemAtPoint(QPointF(-1, 10)), kNotFound);

    GridGeometry centred = grid(700, 600, 10, 50);
    EXPECT_EQ(centred.indexForItemAtPoint(QPointF(49, 100)), kNotFound);  // left margin
    EXPECT_EQ(centred.indexForItemAtPoint(QPointF(100, 49)), kNotFound);  // top margin
    EXPECT_EQ(centred.indexForItemAtPoint(QPointF(50, 50)), 0u);
    EXPECT_EQ(centred.indexForItemAtPoint(QPointF(651, 100)), kNotFound);  // right margin
}

TEST(GridGeometryTest, LocationCountsFromOne) {
    GridGeometry g = grid(620, 600, 10);
    EXPECT_EQ(g.locationForItemAtIndex(0), MakeItemPoint(1, 1));
    EXPECT_EQ(g.locationForItemAtIndex(5), MakeItemPoint(3, 2));
    EXPECT_EQ(g.locationForItemAtIndex(6), MakeItemPoint(1, 3));
}

TEST(GridGeometryTest, VisibleRangeHasOneSpareRow) {
    EXPECT_EQ(grid(620, 600, 100, 0, 151).visibleItemRange(), (GridRange{3, 15}));
    // The first row stays in range up to and including y = H.
    EXPECT_EQ(grid(620, 600, 100, 0, 0).visibleItemRange(), (GridRange{0, 15}));
    EXPECT_EQ(grid(620, 600, 100, 0, 150).visibleItemRange(), (GridRange{0, 15}));
    EXPECT_EQ(grid(620, 600, 100, 0, 150.5).visibleItemRange(), (GridRange{3, 15}));
    // Cut to the items there are.
    EXPECT_EQ(grid(620, 600, 10, 0, 0).visibleItemRange(), (GridRange{0, 10}));
    EXPECT_EQ(grid(620, 600, 20, 0, 301).visibleItemRange(), (GridRange{6, 14}));
    EXPECT_EQ(grid(620, 600, 4, 0, 3000).visibleItemRange(), (GridRange{57, 0}));
    // No scroll area: one column, no rows in view, so the spare row is one item.
    EXPECT_EQ(grid(0, 0, 10).visibleItemRange(), (GridRange{0, 1}));
}

TEST(GridGeometryTest, BandStopsBeforeTheLastColumnEdgeAndTheVisibleBottom) {
    GridGeometry g = grid(620, 600, 100, 0, 0);
    EXPECT_EQ(g.selectionFrame(QPointF(10, 10), QPointF(615, 160)), QRectF(10, 10, 589, 150));
    // Dragging up and left: the band starts at the pointer, rounded up.
    EXPECT_EQ(g.selectionFrame(QPointF(300, 300), QPointF(100.2, 50.5)), QRectF(101, 51, 199, 249));
    EXPECT_EQ(g.selectionFrame(QPointF(10, 500), QPointF(20, 900)), QRectF(10, 500, 10, 100));
    // Never above the visible top.
    GridGeometry scrolled = grid(620, 600, 100, 0, 300);
    EXPECT_EQ(scrolled.selectionFrame(QPointF(10, 400), QPointF(20, 100)), QRectF(10, 300, 10, 100));
}

TEST(GridGeometryTest, BandCellsIgnoreTheInsetAndHoldToTheColumns) {
    GridGeometry g = grid(620, 600, 100, 0, 0);
    EXPECT_EQ(g.boundIndexForPoint(QPointF(10, 10)), 0u);
    EXPECT_EQ(g.boundIndexForPoint(QPointF(599, 160)), 5u);
    EXPECT_EQ(g.boundIndexForPoint(QPointF(10, 1000)), 18u);  // past the visible rows: no check
}

TEST(GridGeometryTest, CellsABandCovers) {
    struct Case {
        const char *name;
        GridIndex items;
        QRectF band;
        std::vector<GridIndex> covered;
    };
    const Case cases[] = {
        {"two full rows", 10, QRectF(12, 12, 587, 148), {0, 1, 2, 3, 4, 5}},
        {"inside one cell", 10, QRectF(210, 10, 20, 20), {1}},
        {"no width", 10, QRectF(210, 10, 0, 20), {}},
        {"no height", 10, QRectF(210, 10, 20, 0), {}},
        {"last row cut to the items", 10, QRectF(10, 460, 580, 100), {9}},
        {"reaching below the last row", 5, QRectF(10, 10, 290, 590), {0, 1, 3, 4}},
        // Below the items, in the empty part of the viewport: nothing, not the last row.
        {"below the last row", 5, QRectF(10, 400, 290, 100), {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(grid(620, 600, c.items).indexesCoveredByBand(c.band), c.covered) << c.name;

    GridGeometry g = grid(620, 600, 10);
    QRectF band(210, 160, 200, 150);  // corners in cells 4 and 8
    std::vector<GridIndex> covers;
    for (GridIndex i = 0; i < 10; ++i) {
        if (g.bandCovers(band, i)) covers.push_back(i);
    }
    EXPECT_EQ(covers, (std::vector<GridIndex>{4, 5, 7, 8}));
}

}  // namespace
