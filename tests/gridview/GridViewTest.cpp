#include "gridview/GridView.h"

#include "GridTestSupport.h"

#include <gtest/gtest.h>

namespace {

using GridViewLayoutTest = GridFixture;

TEST_F(GridViewLayoutTest, FollowsTheViewportAndFillsIt) {
    load(10);
    EXPECT_EQ(grid->width(), kViewportWidth);
    EXPECT_EQ(grid->columnsInGridView(), 3u);
    EXPECT_EQ(grid->allOverRowsInGridView(), 4u);
    EXPECT_EQ(grid->height(), 600);
    setViewportSize(QSize(kViewportWidth, 800));
    EXPECT_EQ(grid->height(), 800) << "never shorter than the viewport";
    setViewportSize(QSize(420, 300));
    EXPECT_EQ(grid->columnsInGridView(), 2u);
    EXPECT_EQ(grid->height(), 750);
    EXPECT_EQ(grid->clippedRect(), QRectF(0, 0, 420, 300));
}

TEST_F(GridViewLayoutTest, CentredGridPlacesItemsInsideTheInset) {
    grid->setUseCenterAlignment(true);
    setViewportSize(QSize(700, 600));
    load(10);
    EXPECT_DOUBLE_EQ(grid->contentInset(), 50);
    EXPECT_EQ(grid->height(), 700) << "the inset above and below counts";
    ASSERT_NE(placed(4), nullptr);
    EXPECT_EQ(placed(4)->geometry(), QRect(250, 200, 200, 150));
    QPoint inLeftMargin = grid->mapTo(grid->window(), QPoint(20, 100));
    EXPECT_EQ(grid->indexForItemAtLocation(inLeftMargin), kNotFound);
    // A narrower viewport: the new inset is part of the new height at once.
    setViewportSize(QSize(650, 600));
    EXPECT_DOUBLE_EQ(grid->contentInset(), 25);
    EXPECT_EQ(grid->height(), 650);
}

TEST_F(GridViewLayoutTest, PlacesOnlyTheRowsInViewAndASpareRow) {
    load(100);
    EXPECT_EQ(grid->numberOfVisibleItems(), 15u);
    EXPECT_EQ(dataSource.created, 15);
    GridIndexSet expected;
    for (GridIndex i = 0; i < 15; ++i) expected.insert(i);
    EXPECT_EQ(grid->indexesForVisibleItems(), expected);
    EXPECT_EQ(grid->visibleIndexes(), expected);
    EXPECT_EQ(placed(7)->geometry(), QRect(200, 300, 200, 150));
    EXPECT_EQ(grid->locationForItemAtIndex(5), MakeItemPoint(3, 2));
}

TEST_F(GridViewLayoutTest, ScrollingRecyclesWhatLeavesTheView) {
    load(100);
    scrollTo(151);
    EXPECT_EQ(grid->visibleItemRange(), (GridRange{3, 15}));
    EXPECT_EQ(grid->numberOfVisibleItems(), 15u);
    EXPECT_EQ(dataSource.created, 15) << "the first row's views came back for the new row";
    EXPECT_EQ(dataSource.dequeued, 3);
    EXPECT_EQ(placed(15)->geometry(), QRect(0, 750, 200, 150));
    EXPECT_EQ(placed(0), nullptr);
    for (int y = 0; y <= 4500; y += 150) scrollTo(y);  // 34 rows: 5100 high
    EXPECT_EQ(dataSource.created, 15);
    EXPECT_EQ(grid->visibleItemRange(), (GridRange{87, 13}));
    EXPECT_EQ(grid->numberOfVisibleItems(), 13u);
}

TEST_F(GridViewLayoutTest, NothingIsRecycledWhileSomethingIsSelected) {
    load(100);
    grid->selectItem(placed(1));
    scrollTo(600);
    EXPECT_EQ(dataSource.dequeued, 0);
    EXPECT_EQ(grid->numberOfVisibleItems(), 24u);  // 0..14 stay, 15..23 join
    EXPECT_TRUE(placed(1)->selected());
}

TEST_F(GridViewLayoutTest, ReloadDropsRecycledViewsAndKeepsTheSelection) {
    load(100);
    scrollTo(4500);  // 13 items in range at the bottom: 2 of the 15 views wait for reuse
    QPointer<GridViewItemBase> waiting;
    for (GridViewItemBase *item : grid->findChildren<GridViewItemBase *>()) {
        if (item->isHidden()) waiting = item;
    }
    ASSERT_TRUE(waiting);
    GridViewItemBase *chosen = placed(90);
    grid->selectItem(chosen);
    int createdBefore = dataSource.created, dequeuedBefore = dataSource.dequeued;
    grid->reloadData();
    EXPECT_TRUE(waiting.isNull()) << "recycled views are dropped";
    settle();
    EXPECT_EQ(dataSource.dequeued, dequeuedBefore);
    EXPECT_EQ(dataSource.created, createdBefore + 13);
    EXPECT_EQ(grid->selectedIndexes(), GridIndexSet{90});
    EXPECT_EQ(grid->selectedItems().front(), chosen) << "the selection still holds its view";
    EXPECT_NE(placed(90), chosen);
    grid->deselectAllItems();
    EXPECT_EQ(grid->findChildren<GridViewItemBase *>().size(), 13) << "the detached view went with it";
}

TEST_F(GridViewLayoutTest, SameItemSizeDoesNotLayOutAgain) {
    load(10);
    placed(0)->move(400, 400);
    grid->setItemSize(QSizeF(200, 150));
    QCoreApplication::processEvents();
    EXPECT_EQ(placed(0)->pos(), QPoint(400, 400));
    grid->setItemSize(QSizeF(100, 100));
    settle();
    EXPECT_EQ(grid->columnsInGridView(), 6u);
    EXPECT_EQ(placed(0)->geometry(), QRect(0, 0, 100, 100));
}

TEST_F(GridViewLayoutTest, GapsAndACountOfNotFound) {
    dataSource.gaps = {1};
    load(5);
    EXPECT_EQ(grid->numberOfVisibleItems(), 4u);
    EXPECT_EQ(placed(1), nullptr);
    load(kNotFound);
    EXPECT_EQ(grid->numberOfItems(), 0u) << "a data source without a count shows nothing";
    EXPECT_EQ(grid->numberOfVisibleItems(), 0u);
    EXPECT_EQ(grid->height(), kViewportHeight);
}

TEST_F(GridViewLayoutTest, ReloadFadesNewItemsIn) {
    dataSource.count = 6;
    grid->reloadDataAnimated(true);
    QCoreApplication::processEvents();
    ASSERT_NE(placed(0), nullptr);
    EXPECT_LT(placed(0)->alphaValue(), 0.5);
    QTest::qWait(GridView::kFadeInMs + 150);
    EXPECT_DOUBLE_EQ(placed(0)->alphaValue(), 1.0);
    EXPECT_EQ(placed(0)->geometry(), QRect(0, 0, 200, 150));
}

TEST_F(GridViewLayoutTest, InsertShiftsPlacedItemsPastEveryNewIndex) {
    load(10);
    GridViewItemBase *oldTwo = placed(2), *oldThree = placed(3);
    grid->insertItemsAtIndexes({2, 3, 4}, false);
    dataSource.count = 13;
    settle();
    EXPECT_EQ(oldTwo->index(), 5u);
    EXPECT_EQ(oldThree->index(), 6u);
    EXPECT_EQ(placed(5), oldTwo);
    EXPECT_EQ(oldTwo->geometry(), grid->rectForItemAtIndex(5).toRect());
    EXPECT_NE(placed(2), oldTwo) << "the new index gets a new view";
    EXPECT_EQ(grid->numberOfItems(), 13u);
    EXPECT_EQ(grid->numberOfVisibleItems(), 13u);
}

TEST_F(GridViewLayoutTest, InsertMovesTheSelectionWithItsViews) {
    load(10);
    QPointer<GridViewItemBase> chosen = placed(4);
    grid->selectItem(chosen);
    grid->selectItem(placed(1));
    grid->insertItemsAtIndexes({2, 3}, false);
    dataSource.count = 12;
    settle();
    EXPECT_EQ(grid->selectedIndexes(), (GridIndexSet{1, 6}));
    EXPECT_EQ(chosen->index(), 6u);
    grid->reloadData();
    settle();
    ASSERT_TRUE(chosen) << "the selection still holds its view";
    EXPECT_EQ(grid->selectedItems().back(), chosen.data());
    grid->deselectAllItems();
    EXPECT_TRUE(chosen.isNull());
}

TEST_F(GridViewLayoutTest, RemoveAndReloadItemsAskTheDataSourceAgain) {
    load(10);
    GridViewItemBase *oldFour = placed(4);
    grid->removeItemsAtIndexes({4}, false);
    dataSource.count = 9;
    settle();
    EXPECT_EQ(grid->numberOfItems(), 9u);
    EXPECT_EQ(grid->numberOfVisibleItems(), 9u);
    EXPECT_GE(dataSource.dequeued, 1) << "removed views wait for reuse";
    EXPECT_NE(placed(4), nullptr);
    (void)oldFour;

    int askedBefore = dataSource.asked;
    grid->reloadItemsAtIndexes({0, 1}, false);
    settle();
    EXPECT_EQ(dataSource.asked, askedBefore + 2);
    EXPECT_EQ(grid->numberOfVisibleItems(), 9u);
}

TEST_F(GridViewLayoutTest, RemovedSelectedViewIsNeverHandedOutAgain) {
    load(10);
    GridViewItemBase *chosen = placed(4);
    grid->selectItem(chosen);
    grid->removeItemsAtIndexes({2}, false);
    dataSource.count = 9;
    settle();
    EXPECT_TRUE(chosen->isHidden());
    EXPECT_NE(placed(4), chosen);
    EXPECT_TRUE(chosen->selected());
    EXPECT_EQ(grid->selectedItems(), QList<GridViewItemBase *>{chosen});
}

TEST_F(GridViewLayoutTest, DeletedGridSkipsItsPendingLayout) {
    dataSource.count = 5;
    grid->reloadData();
    area.reset();  // the grid goes with its scroll area before the queued half runs
    QCoreApplication::processEvents();
    EXPECT_TRUE(grid.isNull());
    EXPECT_EQ(dataSource.asked, 0);
}

TEST(GridViewWithoutScrollAreaTest, PlacesOneItem) {
    TestDataSource dataSource;
    dataSource.count = 10;
    GridView grid;
    grid.setDataSource(&dataSource);
    grid.reloadData();
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.clippedRect(), QRectF());
    EXPECT_EQ(grid.numberOfVisibleItems(), 1u);
}

TEST(GridViewForwardingTest, OptionalQuestionsWithoutAnswers) {
    GridView grid;
    EXPECT_EQ(grid.gridViewNumberOfItemsInSection(&grid, 0), kNotFound);
    EXPECT_EQ(grid.gridViewItemAtIndex(&grid, 0, 0), nullptr);
    TestDataSource dataSource;
    dataSource.count = 4;
    grid.setDataSource(&dataSource);
    EXPECT_EQ(grid.gridViewNumberOfItemsInSection(&grid, 0), 4u);
    EXPECT_EQ(grid.numberOfSectionsInGridView(&grid), kNotFound);
    EXPECT_TRUE(grid.gridViewTitleForHeaderInSection(&grid, 0).isNull());
    EXPECT_TRUE(grid.sectionIndexTitlesForGridView(&grid).isEmpty());
}

}  // namespace
