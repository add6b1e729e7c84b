#include "gridview/GridViewItemBase.h"

#include "gridview/GridViewNotifications.h"

GridViewItemBase::GridViewItemBase(QWidget *parent)
    : QWidget(parent), reuseIdentifier_(kDefaultItemIdentifier) {
    // The grid handles all mouse input, so that moving between items never leaves the grid.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    NotificationCenter &center = NotificationCenter::defaultCenter();
    selectAllObserver_ = center.observe(GridViewSelectAllItemsNotification, nullptr,
                                        [this](const Notification &) { setSelected(true); });
    deSelectAllObserver_ = center.observe(GridViewDeSelectAllItemsNotification, nullptr,
                                          [this](const Notification &) { setSelected(false); });
}

GridViewItemBase::~GridViewItemBase() = default;

void GridViewItemBase::prepareForReuse() {
    index_ = kNotFound;
    setSelected(false);
    setSelectable(true);
    setHovered(false);
}

void GridViewItemBase::setAlphaValue(qreal alpha) {
    if (alpha == alphaValue_) return;
    alphaValue_ = alpha;
    update();
}
