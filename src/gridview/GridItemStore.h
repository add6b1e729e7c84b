#pragma once

// The item views a grid holds, each in one of four containers:
//   placed   : shown in the grid, by index
//   leaving  : taken out of the grid, still shown while their last animation runs
//   reuse    : hidden, prepared for reuse, by reuse identifier, until the data source takes them back
//   detached : hidden, kept only because the selection still holds them (after a reload, for instance)
// Invariant (holdsInvariant): every view is in exactly one container and is a child of the grid; a placed
// view's index is its key; placed and leaving views are shown, the others hidden. A view handed out by
// takeReusable belongs to none until the grid places it again.
//
// The selection's own tables (GridView's selected and band-marked views) only point at views here; the
// store asks heldBySelection before it recycles or deletes one of those. GUI thread only.

#include "gridview/GridViewItemBase.h"
#include "gridview/GridViewTypes.h"

#include <QString>

#include <functional>
#include <map>
#include <set>
#include <vector>

class QMetaObject;
class QWidget;

class GridItemStore {
  public:
    using ItemTable = std::map<GridIndex, GridViewItemBase *>;

    struct Hooks {
        std::function<bool(const GridViewItemBase &)> heldBySelection;
    };

    // The views become children of grid when placed or detached; the grid deletes what is left.
    GridItemStore(QWidget &grid, Hooks hooks);

    const ItemTable &placedItems() const { return placed_; }
    GridViewItemBase *placed(GridIndex index) const;
    // Shown at index, out of the detached views if it was there.
    void place(GridIndex index, GridViewItemBase *item);

    // Placed views outside range that are not selected, in index order.
    std::vector<GridViewItemBase *> recyclableOutside(const GridRange &range) const;
    // From placed to reuse, selection or not.
    void recycle(GridViewItemBase *item);
    // The newest recycled view of that identifier and class (its represented object cleared), out of the
    // store; nullptr if there is none.
    GridViewItemBase *takeReusable(const QString &identifier, const QMetaObject &itemClass);

    // Placed views at these indexes, or at first and after, moved to leaving.
    std::vector<GridViewItemBase *> takeOut(const GridIndexSet &indexes);
    std::vector<GridViewItemBase *> takeOutFrom(GridIndex first);
    // From placed or leaving to detached when the selection holds it, else to reuse.
    void retire(GridViewItemBase *item);
    // Every placed and recycled view out for good: deleted, or detached when the selection holds it.
    void dropAll();

    // A view made for the selection only (select-all on an unplaced index): hidden, detached.
    void detach(GridViewItemBase *item);
    // Deletes a detached view the selection no longer holds.
    void releaseIfDetached(GridViewItemBase *item);

    // Gives the placed views at or after the first inserted index their new indexes (one further for every
    // inserted index at or before their place); returns them, highest new index first.
    std::vector<GridViewItemBase *> shiftForInserted(const GridIndexSet &inserted);
    // Where an item at index moves when the indexes in inserted are new: one place further for every new
    // index at or before its place, counted as it moves.
    static GridIndex shiftedIndex(GridIndex index, const GridIndexSet &inserted);

    bool holdsInvariant() const;

  private:
    void adopt(GridViewItemBase *item);
    void toReuse(GridViewItemBase *item);

    QWidget &grid_;
    Hooks hooks_;
    ItemTable placed_;
    std::set<GridViewItemBase *> leaving_;
    std::map<QString, std::vector<GridViewItemBase *>> reuse_;
    std::set<GridViewItemBase *> detached_;
};
