#include "gridview/GridRubberBand.h"

#include "gridview/GridSelection.h"
#include "gridview/ViewHierarchy.h"

GridRubberBand::GridRubberBand(QWidget &grid, Hooks hooks) : grid_(grid), hooks_(std::move(hooks)) {}

void GridRubberBand::drawTo(const QPointF &location, const GridGeometry &geometry) {
    if (!frameView_) {
        start_ = location;
        frameView_ = new SelectionFrameView(&grid_);
        frameView_->setFrame(QRectF(location, QSizeF(0, 0)));
        if (!containsSubView(&grid_, frameView_)) frameView_->show();
        frameView_->raise();
        return;
    }
    frameView_->setFrame(geometry.selectionFrame(start_, location));
}

void GridRubberBand::markCovered(const QRectF &band, const GridGeometry &geometry,
                                 Qt::KeyboardModifiers modifiers) {
    // Views the band has left go back to how they were before the drag.
    for (auto it = marked_.begin(); it != marked_.end();) {
        auto [index, item] = *it;
        if (hooks_.placed(index) != item || geometry.bandCovers(band, index)) {
            ++it;
            continue;
        }
        if (hooks_.selected(index) == item) {
            item->setSelected(true);
            ++it;
        } else {
            item->setSelected(false);
            it = marked_.erase(it);
        }
    }
    for (GridIndex index : geometry.indexesCoveredByBand(band)) {
        GridViewItemBase *item = hooks_.placed(index);
        if (item == nullptr) continue;
        marked_[index] = item;
        item->setSelected(GridSelection::bandLook(hooks_.selected(index) != nullptr, modifiers));
    }
}

bool GridRubberBand::marks(const GridViewItemBase &item) const {
    auto found = marked_.find(item.index());
    return found != marked_.end() && found->second == &item;
}

void GridRubberBand::raise() {
    if (frameView_) frameView_->raise();
}

GridRubberBand::ItemTable GridRubberBand::finish() {
    delete frameView_;
    ItemTable marked;
    marked.swap(marked_);
    return marked;
}
