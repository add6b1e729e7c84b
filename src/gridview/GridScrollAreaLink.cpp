#include "gridview/GridScrollAreaLink.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QScrollBar>
#include <QWidget>

GridScrollAreaLink::GridScrollAreaLink(QWidget &grid, Hooks hooks) : grid_(grid), hooks_(std::move(hooks)) {}

void GridScrollAreaLink::follow() {
    QAbstractScrollArea *area = nullptr;
    if (QWidget *viewport = grid_.parentWidget()) {
        area = qobject_cast<QAbstractScrollArea *>(viewport->parentWidget());
        if (area != nullptr && area->viewport() != viewport) area = nullptr;
    }
    if (area == area_) return;
    if (area_) {
        disconnect(area_->verticalScrollBar(), nullptr, this, nullptr);
        disconnect(area_->horizontalScrollBar(), nullptr, this, nullptr);
        if (viewport_) viewport_->removeEventFilter(this);
    }
    area_ = area;
    viewport_ = area != nullptr ? area->viewport() : nullptr;
    if (area == nullptr) return;
    // The grid always takes the viewport's width, so a horizontal bar is never needed; a vertical bar that
    // came and went would change that width, the columns and the height in turn, and could flip forever.
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(area->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { hooks_.scrolled(); });
    connect(area->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { hooks_.scrolled(); });
    viewport_->installEventFilter(this);
    hooks_.attached();
}

bool GridScrollAreaLink::eventFilter(QObject *watched, QEvent *event) {
    // Only the viewport is looked at: filtered events still come while the scroll area is being destroyed.
    if (event->type() == QEvent::Resize && viewport_ && watched == viewport_) hooks_.viewportResized();
    return QObject::eventFilter(watched, event);
}
