#pragma once

// What the grid asks of the code that owns its items. The grid has one section and asks only for section 0.
//
// Item views handed to the grid belong to the grid from then on (it becomes their parent): a data source
// makes new ones or takes recycled ones back with GridView::dequeueReusableItemWithIdentifier, and never
// deletes them itself.

#include "gridview/GridViewTypes.h"

#include <QString>
#include <QStringList>

#include <optional>

class GridView;
class GridViewItemBase;

class GridViewDataSource {
  public:
    virtual ~GridViewDataSource() = default;

    virtual GridIndex gridViewNumberOfItemsInSection(GridView *gridView, GridIndex section) = 0;
    // The view for index, or nullptr to leave a gap.
    virtual GridViewItemBase *gridViewItemAtIndex(GridView *gridView, GridIndex index, GridIndex section) = 0;

    // Optional; the grid never asks these itself.
    virtual std::optional<GridIndex> numberOfSectionsInGridView(GridView *) { return std::nullopt; }
    virtual QString gridViewTitleForHeaderInSection(GridView *, GridIndex) { return {}; }
    virtual QStringList sectionIndexTitlesForGridView(GridView *) { return {}; }
};
