#pragma once

// Names of the grid's notifications and the keys of their user info. Every notification the grid posts has
// the grid as its object; see GridView.h for when each is posted.

#include <QString>

inline const QString GridViewSelectAllItemsNotification = QStringLiteral("GridViewSelectAllItems");
inline const QString GridViewDeSelectAllItemsNotification = QStringLiteral("GridViewDeSelectAllItems");
inline const QString GridViewWillHoverItemNotification = QStringLiteral("GridViewWillHoverItem");
inline const QString GridViewWillUnhoverItemNotification = QStringLiteral("GridViewWillUnhoverItem");
inline const QString GridViewWillSelectItemNotification = QStringLiteral("GridViewWillSelectItem");
inline const QString GridViewDidSelectItemNotification = QStringLiteral("GridViewDidSelectItem");
inline const QString GridViewWillDeselectItemNotification = QStringLiteral("GridViewWillDeselectItem");
inline const QString GridViewDidDeselectItemNotification = QStringLiteral("GridViewDidDeselectItem");
inline const QString GridViewWillDeselectAllItemsNotification =
    QStringLiteral("GridViewWillDeselectAllItems");
inline const QString GridViewDidDeselectAllItemsNotification = QStringLiteral("GridViewDidDeselectAllItems");
inline const QString GridViewDidClickItemNotification = QStringLiteral("GridViewDidClickItem");
inline const QString GridViewDidDoubleClickItemNotification = QStringLiteral("GridViewDidDoubleClickItem");
inline const QString GridViewRightMouseButtonClickedOnItemNotification =
    QStringLiteral("GridViewRightMouseButtonClickedOnItem");

// User-info keys. The index is a GridIndex (quint64); the selected items a QList<GridViewItemBase *>; the
// index set a GridIndexSet. GridViewItemKey is offered to callers; the grid itself never uses it.
inline const QString GridViewItemKey = QStringLiteral("gridViewItem");
inline const QString GridViewItemIndexKey = QStringLiteral("gridViewItemIndex");
inline const QString GridViewSelectedItemsKey = QStringLiteral("GridViewSelectedItems");
inline const QString GridViewItemsIndexSetKey = QStringLiteral("GridViewItemsIndexSetKey");
