#pragma once

// A scrolling grid of equally sized item views, meant as the widget of a QScrollArea: it follows the
// viewport's width, makes itself as tall as its rows need (at least the viewport's height), and creates item
// views only for the rows in view plus one spare row. Views that scroll away wait in a reuse table until the
// data source takes them back (dequeueReusableItemWithIdentifier); none are recycled while anything is
// selected. The grid owns every item view it has been given.
//
// Events: a press selects (plain, Shift for a range, Control to toggle), a release is sorted into single
// and double clicks after the double-click interval, a right press selects and opens itemContextMenu,
// moving the pointer hovers, and with allowsMultipleSelectionWithDrag a drag draws a rubber band (Escape
// freezes it). Every event is posted on the default notification centre (object = the grid) before the
// delegate hears of it; see GridViewNotifications.h for the names and keys.
//
// Everything here runs on the GUI thread.

#include "gridview/GridAnimator.h"
#include "gridview/GridGeometry.h"
#include "gridview/GridItemStore.h"
#include "gridview/GridRubberBand.h"
#include "gridview/GridScrollAreaLink.h"
#include "gridview/GridSelection.h"
#include "gridview/GridViewDataSource.h"
#include "gridview/GridViewDelegate.h"
#include "gridview/GridViewItem.h"
#include "gridview/GridViewReporter.h"
#include "gridview/GridViewTypes.h"
#include "gridview/NotificationCenter.h"
#include "gridview/SelectionFrameView.h"

#include <QBrush>
#include <QList>
#include <QMenu>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QWidget>

#include <vector>

class GridView : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kFadeInMs = 350;  // items appearing after a reload or resize
    static constexpr int kMoveMs = 150;    // items moving to new places

    explicit GridView(QWidget *parent = nullptr);
    ~GridView() override;

    // --- configuration
    // Neither is owned; each must outlive the grid or be unset first.
    GridViewDelegate *delegate() const { return delegate_; }
    void setDelegate(GridViewDelegate *delegate) { delegate_ = delegate; }
    GridViewDataSource *dataSource() const { return dataSource_; }
    void setDataSource(GridViewDataSource *dataSource) { dataSource_ = dataSource; }
    const QString &gridViewTitle() const { return gridViewTitle_; }
    void setGridViewTitle(const QString &title) { gridViewTitle_ = title; }
    // A colour or a pattern, painted behind the items and in the scroll area.
    const QBrush &backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const QBrush &brush);
    // Kept for callers; Qt's scroll areas do not bounce.
    bool scrollElasticity() const { return scrollElasticity_; }
    void setScrollElasticity(bool elastic) { scrollElasticity_ = elastic; }
    const QSizeF &itemSize() const { return itemSize_; }
    // A new size lays the grid out again; the same size changes nothing.
    void setItemSize(const QSizeF &size);
    bool allowsSelection() const { return allowsSelection_; }
    void setAllowsSelection(bool allows) { allowsSelection_ = allows; }
    bool allowsMultipleSelection() const { return allowsMultipleSelection_; }
    // Switching it off drops the selection without will/did-deselect-all events.
    void setAllowsMultipleSelection(bool allows);
    bool allowsMultipleSelectionWithDrag() const { return allowsMultipleSelectionWithDrag_; }
    void setAllowsMultipleSelectionWithDrag(bool allows) { allowsMultipleSelectionWithDrag_ = allows; }
    bool useSelectionRing() const { return useSelectionRing_; }
    void setUseSelectionRing(bool use) { useSelectionRing_ = use; }
    bool useHover() const { return useHover_; }
    void setUseHover(bool use) { useHover_ = use; }
    // Not owned. Its actions get the clicked index set (GridIndexSet) as their data before it opens.
    QMenu *itemContextMenu() const { return itemContextMenu_; }
    void setItemContextMenu(QMenu *menu) { itemContextMenu_ = menu; }
    // Kept for callers; never placed.
    QWidget *headerView() const { return headerView_; }
    void setHeaderView(QWidget *view) { headerView_ = view; }
    bool useCenterAlignment() const { return useCenterAlignment_; }
    void setUseCenterAlignment(bool centre) { useCenterAlignment_ = centre; }

    // --- data
    void reloadData() { reloadDataAnimated(false); }
    // Asks the data source for the count again, drops every item view not selected (recycled ones too)
    // and lays the grid out; the selection is kept.
    void reloadDataAnimated(bool animated);
    // A recycled view of class Item with that identifier, with its represented object cleared, or nullptr.
    template <class Item = GridViewItem>
    Item *dequeueReusableItemWithIdentifier(const QString &identifier) {
        return static_cast<Item *>(takeReusableItem(identifier, Item::staticMetaObject));
    }
    GridIndex numberOfItems() const { return numberOfItems_; }

    // --- geometry (grid coordinates unless stated)
    QRectF clippedRect() const;
    std::uint64_t columnsInGridView() const { return layoutGeometry().columns(); }
    std::uint64_t visibleRowsInGridView() const { return layoutGeometry().visibleRows(); }
    std::uint64_t allOverRowsInGridView() const { return layoutGeometry().allOverRows(); }
    GridRange visibleItemRange() const { return layoutGeometry().visibleItemRange(); }
    QRectF rectForItemAtIndex(GridIndex index) const { return layoutGeometry().rectForItemAtIndex(index); }
    // location is in the coordinates of the grid's window.
    GridIndex indexForItemAtLocation(const QPointF &location) const;
    ItemPoint locationForItemAtIndex(GridIndex index) const {
        return layoutGeometry().locationForItemAtIndex(index);
    }
    GridIndexSet visibleIndexes() const;
    GridIndexSet indexesForVisibleItems() const;
    std::uint64_t numberOfVisibleItems() const { return store_.placedItems().size(); }
    double contentInset() const { return contentInset_; }
    // The views the grid holds, for checks; see GridItemStore for its invariant.
    const GridItemStore &itemStore() const { return store_; }
    // The layout maths with the grid's current visible rectangle, item size, count and inset.
    GridGeometry layoutGeometry() const;

    // --- refresh cycle
    // Sizes the grid now; recycles, places and arranges the items from the event loop, once control
    // returns there (nothing happens if the grid is gone by then).
    void refreshGridViewAnimated(bool animated, bool initialCall);
    void updateVisibleRect();
    void updateReuseableItems();
    void updateVisibleItems();
    void arrangeGridViewItemsAnimated(bool animated);
    // The grid's frame, as its scroll area or a caller sets it: lays the grid out again.
    void setFrame(const QRect &frame);

    // --- updates of single items (the grid asks the data source again for what changed)
    void insertItemAtIndex(GridIndex index, bool animated);
    void insertItemsAtIndexes(const GridIndexSet &indexes, bool animated);
    void reloadItemsAtIndexes(const GridIndexSet &indexes, bool animated);
    void removeItemsAtIndexes(const GridIndexSet &indexes, bool animated);
    void beginUpdates() {}
    void endUpdates() {}

    // --- the data source's questions, answered by passing them on (kNotFound or nothing without an answer)
    GridIndex gridViewNumberOfItemsInSection(GridView *gridView, GridIndex section) {
        return dataSource_ ? dataSource_->gridViewNumberOfItemsInSection(gridView, section) : kNotFound;
    }
    GridViewItemBase *gridViewItemAtIndex(GridView *gridView, GridIndex index, GridIndex section) {
        return dataSource_ ? dataSource_->gridViewItemAtIndex(gridView, index, section) : nullptr;
    }
    GridIndex numberOfSectionsInGridView(GridView *gridView) {
        return dataSource_ ? dataSource_->numberOfSectionsInGridView(gridView).value_or(kNotFound)
                           : kNotFound;
    }
    QString gridViewTitleForHeaderInSection(GridView *gridView, GridIndex section) {
        return dataSource_ ? dataSource_->gridViewTitleForHeaderInSection(gridView, section) : QString();
    }
    QStringList sectionIndexTitlesForGridView(GridView *gridView) {
        return dataSource_ ? dataSource_->sectionIndexTitlesForGridView(gridView) : QStringList();
    }

    // --- selection
    void selectItem(GridViewItemBase *item);
    void deSelectItem(GridViewItemBase *item);
    // A click's selection: modifiers as the press had them (Shift extends, Control toggles).
    void selectItemAtIndex(GridIndex index, Qt::KeyboardModifiers modifiers);
    void selectAllItems();
    void deselectAllItems();
    QList<GridViewItemBase *> selectedItems() const;
    GridIndexSet selectedIndexes() const;
    GridIndex lastSelectedItemIndex() const { return lastSelectedItemIndex_; }

    // --- hover
    void hoverItemAtIndex(GridIndex index);
    void unHoverItemAtIndex(GridIndex index);
    GridIndex lastHoveredIndex() const { return lastHoveredIndex_; }

    // --- clicks
    void handleClicks();
    void handleSingleClickForItemAtIndex(GridIndex index);
    void handleDoubleClickForItemAtIndex(GridIndex index);

    // --- rubber band
    void drawSelectionFrameForMousePointerAtLocation(const QPointF &location) {
        band_.drawTo(location, layoutGeometry());
    }
    void selectItemsCoveredBySelectionFrame(const QRectF &frame, Qt::KeyboardModifiers modifiers) {
        band_.markCovered(frame, layoutGeometry(), modifiers);
    }
    // location is in window coordinates.
    GridIndex boundIndexForItemAtLocation(const QPointF &location) const;
    SelectionFrameView *selectionFrameView() const { return band_.frameView(); }

  protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void leaveEvent(QEvent *event) override;

  private:
    using ItemTable = GridItemStore::ItemTable;

    // The platform's event entry points, in the grid's terms.
    void mouseDown(const QPointF &windowLocation, Qt::KeyboardModifiers modifiers);
    void mouseDragged(const QPointF &location, Qt::KeyboardModifiers modifiers);
    void mouseUp(const QPointF &windowLocation);
    void mouseMoved(const QPointF &windowLocation);
    void mouseExited();
    void rightMouseDown(const QPointF &location);

    void attachedToScrollArea();
    // The viewport's new size: the grid takes its width and lays out again.
    void followViewport();
    void refreshInset();
    void finishRefresh(bool animated);
    GridViewItemBase *placedItem(GridIndex index) const { return store_.placed(index); }
    GridViewItemBase *takeReusableItem(const QString &identifier, const QMetaObject &itemClass) {
        return store_.takeReusable(identifier, itemClass);
    }
    void moveItemsAnimated(const std::vector<GridViewItemBase *> &items, bool animated);
    // Moves the placed and the selected items at or after the first inserted index past every inserted one.
    void shiftPlacedItems(const GridIndexSet &inserted, bool animated);
    SelectionState selectionState() const;
    void applySelectionSteps(const std::vector<SelectionStep> &steps);
    bool isHeldBySelection(const GridViewItemBase &item) const;
    GridViewItemBase *selectedItemAt(GridIndex index) const;
    void retireItemsAnimated(std::vector<GridViewItemBase *> items, bool animated);

    // The selection and the band's marks point at views in store_, placed or detached; neither owns.
    ItemTable selectedItems_;
    GridItemStore store_;
    GridRubberBand band_;
    GridScrollAreaLink link_;
    GridViewReporter reporter_;
    // Last, so destroyed first: an animation that ends as it stops retires views through the others.
    GridAnimator animator_;
    std::vector<QPointF> clickEvents_;  // window locations of mouse-ups not yet sorted
    GridIndex lastHoveredIndex_ = kNotFound;
    GridIndex lastSelectedItemIndex_ = kNotFound;
    GridIndex numberOfItems_ = 0;
    bool isInitialCall_ = true;
    bool mouseHasDragged_ = false;
    bool abortSelection_ = false;
    double contentInset_ = 0;

    GridViewDelegate *delegate_ = nullptr;
    GridViewDataSource *dataSource_ = nullptr;
    QString gridViewTitle_;
    QBrush backgroundColor_;
    bool scrollElasticity_ = true;
    QSizeF itemSize_;
    bool allowsSelection_ = true;
    bool allowsMultipleSelection_ = false;
    bool allowsMultipleSelectionWithDrag_ = false;
    bool useSelectionRing_ = true;
    bool useHover_ = true;
    QPointer<QMenu> itemContextMenu_;
    QPointer<QWidget> headerView_;
    bool useCenterAlignment_ = false;
};
