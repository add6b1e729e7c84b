#include "gridview/GridItemStore.h"

#include "gridview/GridViewItem.h"

#include <QPointer>
#include <QScrollArea>
#include <QWidget>

#include <gtest/gtest.h>

#include <set>

namespace {

// A store on a bare widget; held stands in for the grid's selection.
class GridItemStoreTest : public testing::Test {
  protected:
    GridViewItemBase *placeNew(GridIndex index) {
        auto *item = new GridViewItem;
        store.place(index, item);
        return item;
    }
    void placeNew(GridIndex from, GridIndex to) {
        for (GridIndex i = from; i <= to; ++i) placeNew(i);
    }
    GridIndexSet placedIndexes() const {
        GridIndexSet indexes;
        for (const auto &[index, item] : store.placedItems()) indexes.insert(index);
        return indexes;
    }

    QWidget grid;
    std::set<const GridViewItemBase *> held;
    GridItemStore store{
        grid, {.heldBySelection = [this](const GridViewItemBase &item) { return held.count(&item) != 0; }}};
};

TEST_F(GridItemStoreTest, RecycledViewsComeBackByIdentifierAndClass) {
    GridViewItemBase *zero = placeNew(0);
    GridViewItemBase *one = placeNew(1);
    one->setSelected(true);
    zero->setRepresentedObject(7);
    EXPECT_EQ(zero->parentWidget(), &grid);
    EXPECT_EQ(store.recyclableOutside(GridRange{1, 5}), std::vector<GridViewItemBase *>{zero});
    EXPECT_TRUE(store.recyclableOutside(GridRange{0, 5}).empty());
    store.recycle(zero);
    EXPECT_TRUE(store.holdsInvariant());
    EXPECT_TRUE(zero->isHidden());
    EXPECT_EQ(zero->index(), kNotFound) << "prepared for reuse";
    EXPECT_EQ(store.takeReusable(QStringLiteral("other"), GridViewItem::staticMetaObject), nullptr);
    EXPECT_EQ(store.takeReusable(GridViewItemBase::kDefaultItemIdentifier, QScrollArea::staticMetaObject),
              nullptr);
    EXPECT_EQ(store.takeReusable(GridViewItemBase::kDefaultItemIdentifier, GridViewItem::staticMetaObject),
              zero);
    EXPECT_FALSE(zero->representedObject().isValid());
    EXPECT_TRUE(store.holdsInvariant()) << "a view handed out is in no container";
    store.place(4, zero);
    EXPECT_EQ(store.placed(4), zero);
    EXPECT_TRUE(store.holdsInvariant());
}

TEST_F(GridItemStoreTest, RetiredAndDroppedViewsStayWhileTheSelectionHoldsThem) {
    placeNew(0, 5);
    QPointer<GridViewItemBase> two = store.placed(2), four = store.placed(4), five = store.placed(5);
    held = {two, four};
    std::vector<GridViewItemBase *> leaving = store.takeOutFrom(4);
    EXPECT_EQ(leaving.size(), 2u);
    EXPECT_EQ(placedIndexes(), (GridIndexSet{0, 1, 2, 3}));
    EXPECT_FALSE(four->isHidden()) << "shown while it fades";
    EXPECT_TRUE(store.holdsInvariant());
    for (GridViewItemBase *item : leaving) store.retire(item);
    EXPECT_TRUE(four->isHidden());
    EXPECT_TRUE(store.holdsInvariant());
    EXPECT_EQ(store.takeReusable(GridViewItemBase::kDefaultItemIdentifier, GridViewItem::staticMetaObject),
              five.data())
        << "only the view the selection does not hold waits for reuse";

    store.dropAll();
    EXPECT_TRUE(store.placedItems().empty());
    EXPECT_TRUE(two && four) << "held views are detached, not deleted";
    EXPECT_TRUE(store.holdsInvariant());
    store.releaseIfDetached(two);
    EXPECT_TRUE(two) << "still held";
    held.clear();
    store.releaseIfDetached(two);
    store.releaseIfDetached(four);
    EXPECT_TRUE(two.isNull());
    EXPECT_TRUE(four.isNull());
    EXPECT_TRUE(store.holdsInvariant());
}

TEST_F(GridItemStoreTest, PlacingADetachedViewTakesItOutOfTheDetached) {
    auto *made = new GridViewItem;
    held = {made};
    store.detach(made);
    EXPECT_TRUE(made->isHidden());
    EXPECT_EQ(made->parentWidget(), &grid);
    EXPECT_TRUE(store.holdsInvariant());
    store.place(3, made);
    EXPECT_TRUE(store.holdsInvariant()) << "in placed only";
}

TEST_F(GridItemStoreTest, InsertedIndexesShiftThePlacedViewsPastThem) {
    placeNew(0, 4);
    GridViewItemBase *one = store.placed(1), *three = store.placed(3);
    std::vector<GridViewItemBase *> moved = store.shiftForInserted({1, 3});
    EXPECT_EQ(moved.size(), 4u);
    EXPECT_EQ(moved.front()->index(), 6u) << "highest first";
    EXPECT_EQ(store.placed(2), one);
    EXPECT_EQ(store.placed(5), three);
    EXPECT_EQ(placedIndexes(), (GridIndexSet{0, 2, 4, 5, 6}));
    EXPECT_TRUE(store.holdsInvariant());
    EXPECT_TRUE(store.shiftForInserted({}).empty());
}

TEST_F(GridItemStoreTest, InvariantSeesAViewInTwoPlaces) {
    GridViewItemBase *zero = placeNew(0);
    store.place(1, zero);  // a data source that hands out a placed view again
    EXPECT_FALSE(store.holdsInvariant());
}

}  // namespace
