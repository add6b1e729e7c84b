#pragma once

// What the grid tells the code that watches it; every operation is optional. Each call comes after the
// matching notification has been posted on the default notification centre, on the grid's thread. The
// section is always 0.

#include "gridview/GridViewTypes.h"

#include <QList>

class GridView;
class GridViewItemBase;

class GridViewDelegate {
  public:
    virtual ~GridViewDelegate() = default;

    virtual void gridViewWillHoverItemAtIndex(GridView *, GridIndex /*index*/, GridIndex /*section*/) {}
    virtual void gridViewWillUnhoverItemAtIndex(GridView *, GridIndex /*index*/, GridIndex /*section*/) {}
    virtual void gridViewWillSelectItemAtIndex(GridView *, GridIndex /*index*/, GridIndex /*section*/) {}
    virtual void gridViewDidSelectItemAtIndex(GridView *, GridIndex /*index*/, GridIndex /*section*/) {}
    virtual void gridViewWillDeselectItemAtIndex(GridView *, GridIndex /*index*/, GridIndex /*section*/) {}
    virtual void gridViewDidDeselectItemAtIndex(GridView *, GridIndex /*index*/, GridIndex /*section*/) {}
    virtual void gridViewWillDeselectAllItems(GridView *,
                                              const QList<GridViewItemBase *> & /*selectedItems*/) {}
    virtual void gridViewDidDeselectAllItems(GridView *) {}
    virtual void gridViewDidClickItemAtIndex(GridView *, GridIndex /*index*/, GridIndex /*section*/) {}
    virtual void gridViewDidDoubleClickItemAtIndex(GridView *, GridIndex /*index*/, GridIndex /*section*/) {}
    virtual void gridViewDidActivateContextMenuWithIndexes(GridView *, const GridIndexSet & /*indexes*/,
                                                           GridIndex /*section*/) {}
};
