#include "gridview/GridViewReporter.h"

#include "gridview/GridView.h"
#include "gridview/GridViewNotifications.h"

namespace {

constexpr GridIndex kSection = 0;

}  // namespace

GridViewReporter::GridViewReporter(GridView &grid) : grid_(grid), nc_(NotificationCenter::defaultCenter()) {}

void GridViewReporter::report(const QString &name, const QVariantMap &userInfo,
                              const std::function<void(GridViewDelegate &)> &tellDelegate) {
    nc_.postNotificationName(name, &grid_, userInfo);
    if (GridViewDelegate *delegate = grid_.delegate()) tellDelegate(*delegate);
}

void GridViewReporter::reportIndex(const QString &name, GridIndex index, IndexCall call) {
    report(name, {{GridViewItemIndexKey, QVariant::fromValue<quint64>(index)}},
           [&](GridViewDelegate &delegate) { (delegate.*call)(&grid_, index, kSection); });
}

void GridViewReporter::gridViewWillHoverItemAtIndex(GridIndex index) {
    reportIndex(GridViewWillHoverItemNotification, index, &GridViewDelegate::gridViewWillHoverItemAtIndex);
}

void GridViewReporter::gridViewWillUnhoverItemAtIndex(GridIndex index) {
    reportIndex(GridViewWillUnhoverItemNotification, index,
                &GridViewDelegate::gridViewWillUnhoverItemAtIndex);
}

void GridViewReporter::gridViewWillSelectItemAtIndex(GridIndex index) {
    reportIndex(GridViewWillSelectItemNotification, index, &GridViewDelegate::gridViewWillSelectItemAtIndex);
}

void GridViewReporter::gridViewDidSelectItemAtIndex(GridIndex index) {
    reportIndex(GridViewDidSelectItemNotification, index, &GridViewDelegate::gridViewDidSelectItemAtIndex);
}

void GridViewReporter::gridViewWillDeselectItemAtIndex(GridIndex index) {
    reportIndex(GridViewWillDeselectItemNotification, index,
                &GridViewDelegate::gridViewWillDeselectItemAtIndex);
}

void GridViewReporter::gridViewDidDeselectItemAtIndex(GridIndex index) {
    reportIndex(GridViewDidDeselectItemNotification, index,
                &GridViewDelegate::gridViewDidDeselectItemAtIndex);
}

void GridViewReporter::gridViewWillDeselectAllItems(const QList<GridViewItemBase *> &items) {
    report(GridViewWillDeselectAllItemsNotification, {{GridViewSelectedItemsKey, QVariant::fromValue(items)}},
           [&](GridViewDelegate &delegate) { delegate.gridViewWillDeselectAllItems(&grid_, items); });
}

void GridViewReporter::gridViewDidDeselectAllItems() {
    report(GridViewDidDeselectAllItemsNotification, {},
           [&](GridViewDelegate &delegate) { delegate.gridViewDidDeselectAllItems(&grid_); });
}

void GridViewReporter::gridViewDidClickItemAtIndex(GridIndex index) {
    reportIndex(GridViewDidClickItemNotification, index, &GridViewDelegate::gridViewDidClickItemAtIndex);
}

void GridViewReporter::gridViewDidDoubleClickItemAtIndex(GridIndex index) {
    reportIndex(GridViewDidDoubleClickItemNotification, index,
                &GridViewDelegate::gridViewDidDoubleClickItemAtIndex);
}

void GridViewReporter::gridViewDidActivateContextMenuWithIndexes(const GridIndexSet &indexes) {
    report(GridViewRightMouseButtonClickedOnItemNotification,
           {{GridViewItemsIndexSetKey, QVariant::fromValue(indexes)}}, [&](GridViewDelegate &delegate) {
               delegate.gridViewDidActivateContextMenuWithIndexes(&grid_, indexes, kSection);
           });
}

void GridViewReporter::tellItemsToDeselect() {
    nc_.postNotificationName(GridViewDeSelectAllItemsNotification, &grid_);
}
