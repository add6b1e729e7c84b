#include "gridview/GridView.h"

#include "GridTestSupport.h"

#include <QMenu>
#include <QStyleHints>

#include <gtest/gtest.h>

namespace {

using Calls = std::vector<std::string>;

// 30 items in 3 columns, multiple selection on; synthesized mouse and key events.
class GridViewEventsTest : public GridFixture {
  protected:
    static constexpr int kDoubleClickMs = 80;
    const QPoint kEmptySpace{610, 10};  // right of the last column

    void SetUp() override {
        GridFixture::SetUp();
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(kDoubleClickMs);
        grid->setAllowsMultipleSelection(true);
        load(30);
        area->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(area.get()));
        log.clear();
    }

    void click(GridIndex index, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(grid, Qt::LeftButton, modifiers, centreOf(index));
    }
    void rightClick(QPoint at) { QTest::mouseClick(grid, Qt::RightButton, {}, at); }
    // Mouse moves go straight to the grid: with no button down they hover, with the left one they drag.
    void move(QPoint to, Qt::MouseButtons buttons = Qt::NoButton, Qt::KeyboardModifiers modifiers = {}) {
        QMouseEvent event(QEvent::MouseMove, QPointF(to), QPointF(grid->mapToGlobal(to)), Qt::NoButton,
                          buttons, modifiers);
        QCoreApplication::sendEvent(grid, &event);
    }
    void drag(QPoint to, Qt::KeyboardModifiers modifiers = {}) { move(to, Qt::LeftButton, modifiers); }
    // Lets the click timer fire.
    void waitForClicks() { QTest::qWait(kDoubleClickMs + 80); }
    Calls selectionCalls() const {
        Calls found;
        for (const std::string &call : log.calls()) {
            if (call.find("elect") != std::string::npos) found.push_back(call);
        }
        return found;
    }
};

TEST_F(GridViewEventsTest, ShiftClickSelectsTheRangeInOrder) {
    click(2);
    log.clear();
    click(5, Qt::ShiftModifier);
    EXPECT_EQ(grid->selectedIndexes(), (GridIndexSet{2, 3, 4, 5}));
    EXPECT_EQ(selectionCalls(), (Calls{"WillSelectItem 3", "DidSelectItem 3", "WillSelectItem 4",
                                       "DidSelectItem 4", "WillSelectItem 5", "DidSelectItem 5"}));
    EXPECT_TRUE(log.observersHeardFirst());
    // Shift reaches back from the highest selected index too.
    click(0, Qt::ShiftModifier);
    EXPECT_EQ(grid->selectedIndexes(), (GridIndexSet{0, 1, 2, 3, 4, 5}));
}

TEST_F(GridViewEventsTest, ControlClickTogglesOneItem) {
    click(1);
    click(4, Qt::ControlModifier);
    EXPECT_EQ(grid->selectedIndexes(), (GridIndexSet{1, 4}));
    click(1, Qt::ControlModifier);
    EXPECT_EQ(grid->selectedIndexes(), GridIndexSet{4});
    EXPECT_FALSE(placed(1)->selected());
    EXPECT_TRUE(placed(4)->selected());
}

TEST_F(GridViewEventsTest, PlainClickOnOneOfSeveralKeepsOnlyIt) {
    click(1);
    click(2, Qt::ControlModifier);
    click(3, Qt::ControlModifier);
    log.clear();
    click(2);
    EXPECT_EQ(grid->selectedIndexes(), GridIndexSet{2});
    EXPECT_EQ(selectionCalls(), (Calls{"WillDeselectAllItems 3", "DidDeselectAllItems", "WillSelectItem 2",
                                       "DidSelectItem 2"}));
    EXPECT_FALSE(placed(1)->selected());
    EXPECT_FALSE(placed(3)->selected());
    EXPECT_TRUE(placed(2)->selected());
}

TEST_F(GridViewEventsTest, SingleSelectionModeReplacesTheSelection) {
    grid->setAllowsMultipleSelection(false);
    click(1);
    log.clear();
    click(4);
    EXPECT_EQ(selectionCalls(),
              (Calls{"WillDeselectItem 1", "DidDeselectItem 1", "WillSelectItem 4", "DidSelectItem 4"}));
    EXPECT_EQ(grid->selectedIndexes(), GridIndexSet{4});
    click(4, Qt::ControlModifier);
    EXPECT_TRUE(grid->selectedIndexes().empty());
}

TEST_F(GridViewEventsTest, SwitchingMultipleSelectionOffDropsTheSelectionQuietly) {
    click(1);
    click(2, Qt::ControlModifier);
    log.clear();
    grid->setAllowsMultipleSelection(false);
    EXPECT_TRUE(grid->selectedIndexes().empty());
    EXPECT_FALSE(placed(1)->selected());
    EXPECT_TRUE(selectionCalls().empty());
}

TEST_F(GridViewEventsTest, MouseUpsAreSortedIntoSingleAndDoubleClicks) {
    click(3);
    click(3);
    waitForClicks();
    EXPECT_EQ(log.calls("Click"), Calls{"DidDoubleClickItem 3"});
    log.clear();
    click(3);
    click(4);
    waitForClicks();
    EXPECT_EQ(log.calls("Click"), (Calls{"DidClickItem 3", "DidClickItem 4"}));
    log.clear();
    click(3);
    click(3);
    click(3);
    waitForClicks();
    EXPECT_EQ(log.calls("Click"), Calls{"DidDoubleClickItem 3"});
    log.clear();
    click(3);
    click(3);
    click(4);
    waitForClicks();
    EXPECT_EQ(log.calls("Click"), (Calls{"DidDoubleClickItem 3", "DidClickItem 4"}));
    EXPECT_TRUE(log.observersHeardFirst());
}

TEST_F(GridViewEventsTest, PressOnEmptySpaceDeselectsAndReportsNoClick) {
    click(1);
    waitForClicks();
    log.clear();
    QTest::mouseClick(grid, Qt::LeftButton, {}, kEmptySpace);
    waitForClicks();
    EXPECT_TRUE(grid->selectedIndexes().empty());
    EXPECT_EQ(log.calls(), (Calls{"WillDeselectAllItems 1", "DidDeselectAllItems"}));
}

TEST_F(GridViewEventsTest, RightClickSelectsAndOpensTheMenuWithTheIndexes) {
    QMenu menu;
    QAction *open = menu.addAction("Open");
    grid->setItemContextMenu(&menu);

    rightClick(centreOf(5));
    EXPECT_EQ(grid->selectedIndexes(), GridIndexSet{5});
    EXPECT_EQ(log.calls("RightMouse"), Calls{"RightMouseButtonClickedOnItem 5"});
    EXPECT_EQ(open->data().value<GridIndexSet>(), GridIndexSet{5});
    EXPECT_TRUE(menu.isVisible());
    menu.hide();

    click(6, Qt::ControlModifier);
    log.clear();
    rightClick(centreOf(6));
    EXPECT_EQ(grid->selectedIndexes(), (GridIndexSet{5, 6}));
    EXPECT_EQ(log.calls(), Calls{"RightMouseButtonClickedOnItem 5,6"});
    EXPECT_TRUE(log.observersHeardFirst());
    menu.hide();

    rightClick(kEmptySpace);
    EXPECT_TRUE(grid->selectedIndexes().empty());
}

TEST_F(GridViewEventsTest, RightClickWithoutMenuOnlySelects) {
    rightClick(centreOf(2));
    EXPECT_EQ(grid->selectedIndexes(), GridIndexSet{2});
    EXPECT_TRUE(log.calls("RightMouse").empty());
}

TEST_F(GridViewEventsTest, HoverFollowsThePointer) {
    move(centreOf(7));
    EXPECT_EQ(log.calls(), Calls{"WillHoverItem 7"});
    EXPECT_TRUE(placed(7)->hovered());
    log.clear();
    move(centreOf(7) + QPoint(3, 3));
    EXPECT_TRUE(log.calls().empty()) << "moving within the item says nothing";
    move(kEmptySpace);
    EXPECT_EQ(log.calls(), (Calls{"WillUnhoverItem 7", "WillHoverItem none"}));
    EXPECT_FALSE(placed(7)->hovered());
    EXPECT_EQ(grid->lastHoveredIndex(), kNotFound);
    EXPECT_TRUE(log.observersHeardFirst());
}

TEST_F(GridViewEventsTest, LeavingTheGridEndsTheHover) {
    move(centreOf(4));
    log.clear();
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(grid, &leave);
    EXPECT_EQ(log.calls(), Calls{"WillUnhoverItem 4"});
    EXPECT_FALSE(placed(4)->hovered());
    EXPECT_EQ(grid->lastHoveredIndex(), kNotFound);
    grid->setUseHover(false);
    move(centreOf(1));
    EXPECT_EQ(grid->lastHoveredIndex(), kNotFound);
}

TEST_F(GridViewEventsTest, RubberBandMarksUpToTheLastColumn) {
    grid->setAllowsMultipleSelectionWithDrag(true);
    QTest::mousePress(grid, Qt::LeftButton, {}, QPoint(10, 10));
    drag(QPoint(12, 12));
    drag(QPoint(615, 160));
    ASSERT_NE(grid->selectionFrameView(), nullptr);
    EXPECT_EQ(grid->selectionFrameView()->frame(), QRectF(12, 12, 587, 148));
    EXPECT_TRUE(placed(5)->selected()) << "marked during the drag";
    EXPECT_FALSE(placed(6)->selected());
    QTest::mouseRelease(grid, Qt::LeftButton, {}, QPoint(615, 160));
    EXPECT_EQ(grid->selectionFrameView(), nullptr);
    EXPECT_EQ(grid->selectedIndexes(), (GridIndexSet{0, 1, 2, 3, 4, 5}));
    waitForClicks();
    EXPECT_TRUE(log.calls("Click").empty()) << "a drag is not a click";
}

TEST_F(GridViewEventsTest, ItemsLeftBehindByTheBandReturnToTheirState) {
    grid->setAllowsMultipleSelectionWithDrag(true);
    click(4);
    QTest::mousePress(grid, Qt::LeftButton, Qt::ControlModifier, centreOf(8));  // selects 8 as well
    drag(centreOf(8) + QPoint(2, 2), Qt::ControlModifier);
    drag(QPoint(250, 200), Qt::ControlModifier);  // covers 4, 5, 7 and 8; Control toggles each
    EXPECT_FALSE(placed(4)->selected());
    EXPECT_TRUE(placed(5)->selected());
    EXPECT_TRUE(placed(7)->selected());
    EXPECT_FALSE(placed(8)->selected());
    drag(QPoint(590, 460), Qt::ControlModifier);  // now 8 and 11 only
    EXPECT_TRUE(placed(4)->selected()) << "back to selected, as before the drag";
    EXPECT_FALSE(placed(5)->selected());
    EXPECT_FALSE(placed(7)->selected());
    EXPECT_TRUE(placed(11)->selected());
    QTest::mouseRelease(grid, Qt::LeftButton, Qt::ControlModifier, QPoint(590, 460));
    EXPECT_EQ(grid->selectedIndexes(), (GridIndexSet{4, 11}));
}

TEST_F(GridViewEventsTest, EscapeFreezesTheBandButTheReleaseApplies) {
    grid->setAllowsMultipleSelectionWithDrag(true);
    QTest::mousePress(grid, Qt::LeftButton, {}, QPoint(10, 10));
    drag(QPoint(12, 12));
    drag(QPoint(215, 100));
    QRectF frozen = grid->selectionFrameView()->frame();
    QTest::keyClick(grid, Qt::Key_Escape);
    drag(QPoint(415, 400));
    EXPECT_EQ(grid->selectionFrameView()->frame(), frozen);
    EXPECT_FALSE(placed(8)->selected());
    QTest::mouseRelease(grid, Qt::LeftButton, {}, QPoint(415, 400));
    EXPECT_EQ(grid->selectedIndexes(), (GridIndexSet{0, 1}));
    // The next drag follows the pointer again.
    QTest::mousePress(grid, Qt::LeftButton, {}, QPoint(10, 310));
    drag(QPoint(12, 312));
    drag(QPoint(215, 400));
    EXPECT_EQ(grid->selectionFrameView()->frame(), QRectF(12, 312, 203, 88));
    QTest::mouseRelease(grid, Qt::LeftButton, {}, QPoint(215, 400));
}

TEST_F(GridViewEventsTest, DragWithoutDragSelectionIsAClick) {
    QTest::mousePress(grid, Qt::LeftButton, {}, centreOf(1));
    drag(centreOf(2));
    QTest::mouseRelease(grid, Qt::LeftButton, {}, centreOf(2));
    EXPECT_EQ(grid->selectionFrameView(), nullptr);
    EXPECT_EQ(grid->selectedIndexes(), GridIndexSet{1});
    waitForClicks();
    EXPECT_EQ(log.calls("Click"), Calls{"DidClickItem 2"});
}

TEST_F(GridViewEventsTest, SelectAllShowsOnThePlacedItemsWithoutEvents) {
    grid->selectAllItems();
    EXPECT_EQ(grid->selectedIndexes().size(), 30u);
    EXPECT_TRUE(placed(0)->selected());
    EXPECT_TRUE(placed(14)->selected());
    EXPECT_TRUE(log.calls().empty());
    grid->deselectAllItems();
    EXPECT_FALSE(placed(0)->selected());
    EXPECT_EQ(log.calls(), (Calls{"WillDeselectAllItems 30", "DidDeselectAllItems"}));
    EXPECT_EQ(grid->findChildren<GridViewItemBase *>().size(), 15)
        << "views made for unplaced items are gone";
}

TEST_F(GridViewEventsTest, SelectionIsOffWhenNotAllowed) {
    grid->setAllowsSelection(false);
    click(1);
    EXPECT_TRUE(grid->selectedIndexes().empty());
    waitForClicks();
    EXPECT_EQ(log.calls(), Calls{"DidClickItem 1"});
}

}  // namespace
