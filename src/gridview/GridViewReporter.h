#pragma once

// The grid's events, told to observers and then to the delegate: each is first posted on the default
// notification centre (object = the grid), then handed to the grid's delegate, looked up only once the
// observers have run (one of them may have unset it). The section is always 0.

#include "gridview/GridViewTypes.h"

#include <QList>
#include <QString>
#include <QVariantMap>

#include <functional>

class GridView;
class GridViewDelegate;
class GridViewItemBase;
class NotificationCenter;

class GridViewReporter {
  public:
    explicit GridViewReporter(GridView &grid);

    void gridViewWillHoverItemAtIndex(GridIndex index);
    void gridViewWillUnhoverItemAtIndex(GridIndex index);
    void gridViewWillSelectItemAtIndex(GridIndex index);
    void gridViewDidSelectItemAtIndex(GridIndex index);
    void gridViewWillDeselectItemAtIndex(GridIndex index);
    void gridViewDidDeselectItemAtIndex(GridIndex index);
    void gridViewWillDeselectAllItems(const QList<GridViewItemBase *> &items);
    void gridViewDidDeselectAllItems();
    void gridViewDidClickItemAtIndex(GridIndex index);
    void gridViewDidDoubleClickItemAtIndex(GridIndex index);
    void gridViewDidActivateContextMenuWithIndexes(const GridIndexSet &indexes);

    // Every item view in the process, placed, waiting for reuse or detached, drops its selected look.
    void tellItemsToDeselect();

  private:
    using IndexCall = void (GridViewDelegate::*)(GridView *, GridIndex, GridIndex);

    void report(const QString &name, const QVariantMap &userInfo,
                const std::function<void(GridViewDelegate &)> &tellDelegate);
    void reportIndex(const QString &name, GridIndex index, IndexCall call);

    GridView &grid_;
    NotificationCenter &nc_;
};
