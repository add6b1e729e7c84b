#include "gridview/GridItemStore.h"

#include <QWidget>

#include <algorithm>

GridIndex GridItemStore::shiftedIndex(GridIndex index, const GridIndexSet &inserted) {
    for (GridIndex newIndex : inserted) {
        if (newIndex <= index) ++index;
    }
    return index;
}

GridItemStore::GridItemStore(QWidget &grid, Hooks hooks) : grid_(grid), hooks_(std::move(hooks)) {}

GridViewItemBase *GridItemStore::placed(GridIndex index) const {
    auto found = placed_.find(index);
    return found == placed_.end() ? nullptr : found->second;
}

void GridItemStore::adopt(GridViewItemBase *item) {
    if (item->parentWidget() != &grid_) item->setParent(&grid_);
}

void GridItemStore::place(GridIndex index, GridViewItemBase *item) {
    item->setIndex(index);
    placed_[index] = item;
    adopt(item);
    detached_.erase(item);
    item->show();
}

std::vector<GridViewItemBase *> GridItemStore::recyclableOutside(const GridRange &range) const {
    std::vector<GridViewItemBase *> items;
    for (const auto &[index, item] : placed_) {
        bool inRange = index >= range.location && index - range.location < range.length;
        if (!inRange && item->isReuseable()) items.push_back(item);
    }
    return items;
}

void GridItemStore::toReuse(GridViewItemBase *item) {
    item->hide();
    item->prepareForReuse();
    reuse_[item->reuseIdentifier()].push_back(item);
}

void GridItemStore::recycle(GridViewItemBase *item) {
    placed_.erase(item->index());
    toReuse(item);
}

GridViewItemBase *GridItemStore::takeReusable(const QString &identifier, const QMetaObject &itemClass) {
    auto found = reuse_.find(identifier);
    if (found == reuse_.end()) return nullptr;
    std::vector<GridViewItemBase *> &items = found->second;
    auto match = std::find_if(items.rbegin(), items.rend(), [&itemClass](GridViewItemBase *item) {
        return item->metaObject()->inherits(&itemClass);
    });
    if (match == items.rend()) return nullptr;
    GridViewItemBase *item = *match;
    items.erase(std::next(match).base());
    item->setRepresentedObject(QVariant());
    return item;
}

std::vector<GridViewItemBase *> GridItemStore::takeOut(const GridIndexSet &indexes) {
    std::vector<GridViewItemBase *> taken;
    for (GridIndex index : indexes) {
        auto found = placed_.find(index);
        if (found == placed_.end()) continue;
        taken.push_back(found->second);
        leaving_.insert(found->second);
        placed_.erase(found);
    }
    return taken;
}

std::vector<GridViewItemBase *> GridItemStore::takeOutFrom(GridIndex first) {
    std::vector<GridViewItemBase *> taken;
    auto from = placed_.lower_bound(first);
    for (auto it = from; it != placed_.end(); ++it) {
        taken.push_back(it->second);
        leaving_.insert(it->second);
    }
    placed_.erase(from, placed_.end());
    return taken;
}

void GridItemStore::retire(GridViewItemBase *item) {
    leaving_.erase(item);
    auto found = placed_.find(item->index());
    if (found != placed_.end() && found->second == item) placed_.erase(found);
    if (hooks_.heldBySelection(*item)) {
        item->hide();
        detached_.insert(item);
        return;
    }
    toReuse(item);
}

void GridItemStore::dropAll() {
    std::vector<GridViewItemBase *> dropping;
    for (const auto &[index, item] : placed_) dropping.push_back(item);
    for (const auto &[identifier, items] : reuse_)
        dropping.insert(dropping.end(), items.begin(), items.end());
    placed_.clear();
    reuse_.clear();
    for (GridViewItemBase *item : dropping) {
        item->hide();
        if (hooks_.heldBySelection(*item)) {
            detached_.insert(item);
        } else {
            delete item;
        }
    }
}

void GridItemStore::detach(GridViewItemBase *item) {
    adopt(item);
    item->hide();
    detached_.insert(item);
}

void GridItemStore::releaseIfDetached(GridViewItemBase *item) {
    auto found = detached_.find(item);
    if (found == detached_.end() || hooks_.heldBySelection(*item)) return;
    detached_.erase(found);
    delete item;
}

std::vector<GridViewItemBase *> GridItemStore::shiftForInserted(const GridIndexSet &inserted) {
    if (inserted.empty()) return {};
    // Highest first, so that no item lands on one that has yet to move.
    auto first = placed_.lower_bound(*inserted.begin());
    std::vector<std::pair<GridIndex, GridViewItemBase *>> shifting(first, placed_.end());
    placed_.erase(first, placed_.end());
    std::vector<GridViewItemBase *> moved;
    for (auto it = shifting.rbegin(); it != shifting.rend(); ++it) {
        GridIndex newIndex = shiftedIndex(it->first, inserted);
        it->second->setIndex(newIndex);
        placed_[newIndex] = it->second;
        moved.push_back(it->second);
    }
    return moved;
}

bool GridItemStore::holdsInvariant() const {
    std::set<const GridViewItemBase *> seen;
    auto once = [&seen, this](const GridViewItemBase *item, bool shown) {
        return seen.insert(item).second && item->parentWidget() == &grid_ && item->isHidden() != shown;
    };
    for (const auto &[index, item] : placed_) {
        if (item->index() != index || !once(item, true)) return false;
    }
    for (const GridViewItemBase *item : leaving_) {
        if (!once(item, true)) return false;
    }
    for (const auto &[identifier, items] : reuse_) {
        for (const GridViewItemBase *item : items) {
            if (!once(item, false)) return false;
        }
    }
    for (const GridViewItemBase *item : detached_) {
        if (!once(item, false)) return false;
    }
    return true;
}
