#include "gridview/GridView.h"

#include "gridview/ClickSorter.h"
#include "gridview/GridViewNotifications.h"
#include "gridview/GridViewPalette.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

constexpr GridIndex kSection = 0;

}  // namespace

GridView::GridView(QWidget *parent)
    : QWidget(parent),
      store_(*this,
             {.heldBySelection = [this](const GridViewItemBase &item) { return isHeldBySelection(item); }}),
      band_(*this, {.placed = [this](GridIndex index) { return store_.placed(index); },
                    .selected = [this](GridIndex index) { return selectedItemAt(index); }}),
      link_(*this, {.scrolled = [this] { updateVisibleRect(); },
                    .viewportResized = [this] { followViewport(); },
                    .attached = [this] { attachedToScrollArea(); }}),
      reporter_(*this),
      animator_(*this),
      backgroundColor_(GridViewPalette::controlColor()),
      itemSize_(GridViewItemBase::defaultItemSize()) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundColor(backgroundColor_);
    link_.follow();
}

GridView::~GridView() = default;

// --- configuration

void GridView::setBackgroundColor(const QBrush &brush) {
    backgroundColor_ = brush;
    QPalette own = palette();
    own.setBrush(QPalette::Window, brush);
    setPalette(own);
    setAutoFillBackground(true);
    if (QWidget *viewport = link_.viewport()) {
        QPalette area = viewport->palette();
        area.setBrush(QPalette::Window, brush);
        viewport->setPalette(area);
        viewport->setAutoFillBackground(true);
    }
}

void GridView::setItemSize(const QSizeF &size) {
    if (size == itemSize_) return;
    itemSize_ = size;
    refreshGridViewAnimated(true, true);
}

void GridView::setAllowsMultipleSelection(bool allows) {
    allowsMultipleSelection_ = allows;
    if (allows || selectedItems_.empty()) return;
    reporter_.tellItemsToDeselect();
    ItemTable dropped;
    dropped.swap(selectedItems_);
    for (const auto &[index, item] : dropped) store_.releaseIfDetached(item);
}

// --- the scroll area

bool GridView::event(QEvent *event) {
    if (event->type() == QEvent::ParentChange) link_.follow();
    return QWidget::event(event);
}

void GridView::attachedToScrollArea() {
    setBackgroundColor(backgroundColor_);
    // The viewport may be laid out already and send no resize for a while: take its width now.
    setFrame(QRect(pos(), QSize(link_.viewport()->width(), height())));
}

void GridView::followViewport() {
    updateVisibleRect();
    setFrame(QRect(pos(), QSize(link_.viewport()->width(), height())));
}

// --- geometry

QRectF GridView::clippedRect() const {
    QWidget *viewport = link_.viewport();
    if (viewport == nullptr) return QRectF();
    return QRectF(mapFrom(viewport, QPointF(0, 0)), QSizeF(viewport->size()));
}

GridGeometry GridView::layoutGeometry() const {
    return GridGeometry{clippedRect(), itemSize_, numberOfItems_, contentInset_};
}

GridIndex GridView::indexForItemAtLocation(const QPointF &location) const {
    return layoutGeometry().indexForItemAtPoint(mapFrom(window(), location));
}

GridIndex GridView::boundIndexForItemAtLocation(const QPointF &location) const {
    return layoutGeometry().boundIndexForPoint(mapFrom(window(), location));
}

GridIndexSet GridView::visibleIndexes() const {
    GridRange range = visibleItemRange();
    GridIndexSet indexes;
    for (GridIndex i = range.location; i < range.location + range.length; ++i)
        indexes.insert(indexes.end(), i);
    return indexes;
}

GridIndexSet GridView::indexesForVisibleItems() const {
    GridIndexSet indexes;
    for (const auto &[index, item] : store_.placedItems()) indexes.insert(indexes.end(), index);
    return indexes;
}

// --- refresh cycle

void GridView::setFrame(const QRect &frame) {
    int oldWidth = width();
    if (link_.viewport() != nullptr) {
        resize(frame.size());  // the scroll area owns the position
    } else {
        setGeometry(frame);
    }
    refreshGridViewAnimated(frame.width() != oldWidth, true);
}

void GridView::refreshInset() {
    contentInset_ = useCenterAlignment_ ? layoutGeometry().centredInset() : 0;
}

void GridView::refreshGridViewAnimated(bool animated, bool initialCall) {
    isInitialCall_ = initialCall;
    // The inset first: the height below includes it twice.
    refreshInset();
    // The grid always at least fills its viewport, so that a press anywhere below the items reaches it.
    double wanted = layoutGeometry().contentHeight();
    if (QWidget *viewport = link_.viewport()) wanted = std::max(wanted, double(viewport->height()));
    if (std::abs(wanted - height()) > 1.0) resize(width(), static_cast<int>(std::ceil(wanted)));
    // The rest runs after the current event, so a burst of refreshes (a window being resized) costs one
    // layout each rather than nested ones; a grid deleted meanwhile does nothing.
    QPointer<GridView> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, animated] {
            if (self) self->finishRefresh(animated);
        },
        Qt::QueuedConnection);
}

void GridView::finishRefresh(bool animated) {
    refreshInset();
    updateReuseableItems();
    updateVisibleItems();
    arrangeGridViewItemsAnimated(animated);
}

void GridView::updateVisibleRect() {
    updateReuseableItems();
    updateVisibleItems();
    arrangeGridViewItemsAnimated(false);
}

void GridView::updateReuseableItems() {
    // A selected view may sit anywhere in the grid; keeping every view while a selection exists is simpler
    // than recycling around it.
    if (!selectedItems_.empty()) return;
    std::vector<GridViewItemBase *> leavingView = store_.recyclableOutside(visibleItemRange());
    if (leavingView.empty()) return;
    animator_.finishAll();  // a running move must not carry a recycled view along
    for (GridViewItemBase *item : leavingView) store_.recycle(item);
}

void GridView::updateVisibleItems() {
    GridRange range = visibleItemRange();
    for (GridIndex index = range.location; index - range.location < range.length; ++index) {
        if (store_.placed(index) != nullptr) continue;
        GridViewItemBase *item = gridViewItemAtIndex(this, index, kSection);
        if (item == nullptr) continue;  // a gap
        if (isInitialCall_) {
            item->setAlphaValue(0);
            item->setGeometry(rectForItemAtIndex(index).toRect());
        }
        store_.place(index, item);
    }
    band_.raise();
}

void GridView::arrangeGridViewItemsAnimated(bool animated) {
    const GridItemStore::ItemTable &placed = store_.placedItems();
    if (placed.empty()) return;
    animator_.finishAll();
    bool fadeIn = isInitialCall_;
    isInitialCall_ = false;
    if (!animated) {
        for (const auto &[index, item] : placed) {
            if (fadeIn) item->setAlphaValue(1.0);
            item->setGeometry(rectForItemAtIndex(index).toRect());
        }
        return;
    }
    std::vector<GridAnimator::Target> targets;
    for (const auto &[index, item] : placed) {
        if (fadeIn) targets.push_back({item, "alphaValue", 1.0});
        targets.push_back({item, "geometry", rectForItemAtIndex(index).toRect()});
    }
    animator_.start(targets, fadeIn ? kFadeInMs : kMoveMs);
}

// --- reloading and reuse

void GridView::reloadDataAnimated(bool animated) {
    GridIndex count = gridViewNumberOfItemsInSection(this, kSection);
    // A data source that gives no count shows an empty grid.
    numberOfItems_ = count == kNotFound ? 0 : count;
    animator_.finishAll();
    store_.dropAll();
    refreshGridViewAnimated(animated, true);
}

bool GridView::isHeldBySelection(const GridViewItemBase &item) const {
    return selectedItemAt(item.index()) == &item || band_.marks(item);
}

GridViewItemBase *GridView::selectedItemAt(GridIndex index) const {
    auto found = selectedItems_.find(index);
    return found == selectedItems_.end() ? nullptr : found->second;
}

// --- updates of single items

void GridView::moveItemsAnimated(const std::vector<GridViewItemBase *> &items, bool animated) {
    if (!animated) {
        for (GridViewItemBase *item : items) item->setGeometry(rectForItemAtIndex(item->index()).toRect());
        return;
    }
    std::vector<GridAnimator::Target> targets;
    for (GridViewItemBase *item : items)
        targets.push_back({item, "geometry", rectForItemAtIndex(item->index()).toRect()});
    animator_.start(targets, kMoveMs);
}

void GridView::shiftPlacedItems(const GridIndexSet &inserted, bool animated) {
    std::vector<GridViewItemBase *> moved = store_.shiftForInserted(inserted);
    // The selection moves with its views, detached ones too: it finds its views by their indexes.
    auto first = selectedItems_.lower_bound(*inserted.begin());
    ItemTable shifted;
    for (auto it = first; it != selectedItems_.end(); ++it) {
        GridIndex newIndex = GridItemStore::shiftedIndex(it->first, inserted);
        it->second->setIndex(newIndex);
        shifted[newIndex] = it->second;
    }
    selectedItems_.erase(first, selectedItems_.end());
    selectedItems_.merge(shifted);
    if (!moved.empty()) moveItemsAnimated(moved, animated);
}

void GridView::insertItemAtIndex(GridIndex index, bool animated) {
    shiftPlacedItems({index}, animated);
    numberOfItems_ += 1;
    // A single insertion lays out as after a reload: the new item fades in.
    refreshGridViewAnimated(animated, true);
}

void GridView::insertItemsAtIndexes(const GridIndexSet &indexes, bool animated) {
    if (indexes.empty()) return;
    shiftPlacedItems(indexes, animated);
    numberOfItems_ += indexes.size();
    refreshGridViewAnimated(animated, false);
}

void GridView::reloadItemsAtIndexes(const GridIndexSet &indexes, bool animated) {
    retireItemsAnimated(store_.takeOut(indexes), animated);
    refreshGridViewAnimated(animated, false);
}

void GridView::removeItemsAtIndexes(const GridIndexSet &indexes, bool animated) {
    if (indexes.empty()) return;
    retireItemsAnimated(store_.takeOutFrom(*indexes.begin()), animated);
    numberOfItems_ -= std::min<GridIndex>(numberOfItems_, indexes.size());
    refreshGridViewAnimated(animated, false);
}

void GridView::retireItemsAnimated(std::vector<GridViewItemBase *> items, bool animated) {
    if (!animated || items.empty()) {
        for (GridViewItemBase *item : items) store_.retire(item);
        return;
    }
    std::vector<GridAnimator::Target> targets;
    std::vector<QPointer<GridViewItemBase>> leaving;
    for (GridViewItemBase *item : items) {
        targets.push_back({item, "alphaValue", 1.0});
        leaving.emplace_back(item);
    }
    animator_.start(targets, kMoveMs, [this, leaving] {
        for (const QPointer<GridViewItemBase> &item : leaving) {
            if (item) store_.retire(item);
        }
    });
}

// --- selection

void GridView::selectItem(GridViewItemBase *item) {
    GridIndex index = item->index();
    if (selectedItems_.count(index) != 0) return;
    reporter_.gridViewWillSelectItemAtIndex(index);
    item->setSelected(true);
    selectedItems_[index] = item;
    reporter_.gridViewDidSelectItemAtIndex(index);
}

void GridView::deSelectItem(GridViewItemBase *item) {
    GridIndex index = item->index();
    if (selectedItems_.count(index) == 0) return;
    reporter_.gridViewWillDeselectItemAtIndex(index);
    item->setSelected(false);
    GridViewItemBase *held = selectedItems_[index];
    selectedItems_.erase(index);
    reporter_.gridViewDidDeselectItemAtIndex(index);
    store_.releaseIfDetached(held);
}

void GridView::deselectAllItems() {
    if (selectedItems_.empty()) return;
    reporter_.gridViewWillDeselectAllItems(selectedItems());
    // Every item view in the process hears this, placed, waiting for reuse or detached.
    reporter_.tellItemsToDeselect();
    ItemTable dropped;
    dropped.swap(selectedItems_);
    reporter_.gridViewDidDeselectAllItems();
    for (const auto &[index, item] : dropped) store_.releaseIfDetached(item);
}

void GridView::selectAllItems() {
    GridIndex count = gridViewNumberOfItemsInSection(this, kSection);
    if (count == 0 || count == kNotFound) return;
    for (GridIndex index = 0; index < count; ++index) {
        // The placed view where there is one, so that what is shown selected is what is in the selection.
        GridViewItemBase *item = placedItem(index);
        if (item == nullptr) {
            item = gridViewItemAtIndex(this, index, kSection);
            if (item == nullptr) continue;
            store_.detach(item);
        }
        item->setSelected(true);
        item->setIndex(index);
        GridViewItemBase *previous = std::exchange(selectedItems_[index], item);
        if (previous != nullptr && previous != item) store_.releaseIfDetached(previous);
    }
}

QList<GridViewItemBase *> GridView::selectedItems() const {
    QList<GridViewItemBase *> items;
    for (const auto &[index, item] : selectedItems_) items.append(item);
    return items;
}

GridIndexSet GridView::selectedIndexes() const {
    GridIndexSet indexes;
    for (const auto &[index, item] : selectedItems_) indexes.insert(indexes.end(), index);
    return indexes;
}

void GridView::selectItemAtIndex(GridIndex index, Qt::KeyboardModifiers modifiers) {
    if (index == kNotFound) return;
    GridViewItemBase *pressed = placedItem(index);
    SelectionChange change =
        GridSelection::press(selectionState(), index, modifiers, pressed != nullptr && pressed->selected());
    applySelectionSteps(change.steps);
    lastSelectedItemIndex_ = change.lastSelected;
}

SelectionState GridView::selectionState() const {
    return {selectedIndexes(), indexesForVisibleItems(), lastSelectedItemIndex_, allowsMultipleSelection_};
}

void GridView::applySelectionSteps(const std::vector<SelectionStep> &steps) {
    // Each step finds its view when it runs: the reports of the ones before may have changed the grid.
    for (const SelectionStep &step : steps) {
        if (step.kind == SelectionStep::Kind::DeselectAll) {
            deselectAllItems();
        } else if (GridViewItemBase *item = placedItem(step.index)) {
            if (step.kind == SelectionStep::Kind::Select) {
                selectItem(item);
            } else {
                deSelectItem(item);
            }
        }
    }
}

// --- hover

void GridView::hoverItemAtIndex(GridIndex index) {
    reporter_.gridViewWillHoverItemAtIndex(index);
    lastHoveredIndex_ = index;
    if (GridViewItemBase *item = placedItem(index)) item->setHovered(true);
}

void GridView::unHoverItemAtIndex(GridIndex index) {
    reporter_.gridViewWillUnhoverItemAtIndex(index);
    if (GridViewItemBase *item = placedItem(index)) item->setHovered(false);
}

// --- clicks

void GridView::handleClicks() {
    if (clickEvents_.empty()) return;
    std::vector<GridIndex> indexes;
    for (const QPointF &location : clickEvents_) indexes.push_back(indexForItemAtLocation(location));
    clickEvents_.clear();
    QPointer<GridView> self(this);  // a double click may close the window that holds the grid
    for (const SortedClick &click : sortClicks(indexes)) {
        if (!self) return;
        if (click.isDoubleClick) {
            handleDoubleClickForItemAtIndex(click.index);
        } else {
            handleSingleClickForItemAtIndex(click.index);
        }
    }
}

void GridView::handleSingleClickForItemAtIndex(GridIndex index) {
    if (index != kNotFound) reporter_.gridViewDidClickItemAtIndex(index);
}

void GridView::handleDoubleClickForItemAtIndex(GridIndex index) {
    if (index != kNotFound) reporter_.gridViewDidDoubleClickItemAtIndex(index);
}

// --- events

void GridView::mousePressEvent(QMouseEvent *event) {
    QPointF location = mapTo(window(), event->position());
    if (event->button() == Qt::LeftButton) {
        mouseDown(location, event->modifiers());
    } else if (event->button() == Qt::RightButton) {
        rightMouseDown(location);
    }
    event->accept();
}

void GridView::mouseMoveEvent(QMouseEvent *event) {
    if (event->buttons().testFlag(Qt::LeftButton)) {
        mouseDragged(event->position(), event->modifiers());
    } else if (event->buttons() == Qt::NoButton) {
        mouseMoved(mapTo(window(), event->position()));
    }
    event->accept();
}

void GridView::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) mouseUp(mapTo(window(), event->position()));
    event->accept();
}

void GridView::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) abortSelection_ = true;
    // Enter opens the selection as a double click on it would.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !selectedItems_.empty()) {
        handleDoubleClickForItemAtIndex(selectedItems_.begin()->first);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void GridView::leaveEvent(QEvent *event) {
    mouseExited();
    QWidget::leaveEvent(event);
}

void GridView::mouseDown(const QPointF &location, Qt::KeyboardModifiers modifiers) {
    if (!allowsSelection_) return;
    GridIndex index = indexForItemAtLocation(location);
    if (index == kNotFound) {
        deselectAllItems();
    } else {
        selectItemAtIndex(index, modifiers);
    }
}

void GridView::mouseDragged(const QPointF &location, Qt::KeyboardModifiers modifiers) {
    if (!allowsMultipleSelection_ || !allowsMultipleSelectionWithDrag_) return;
    mouseHasDragged_ = true;
    if (abortSelection_) return;
    drawSelectionFrameForMousePointerAtLocation(location);
    selectItemsCoveredBySelectionFrame(band_.frameView()->frame(), modifiers);
}

void GridView::mouseUp(const QPointF &location) {
    abortSelection_ = false;
    if (mouseHasDragged_) {
        mouseHasDragged_ = false;
        ItemTable marked = band_.finish();
        std::map<GridIndex, bool> looks;
        for (const auto &[index, item] : marked) looks[index] = item->selected();
        // The marked views, placed or not, are the ones that take the selection's changes.
        for (const SelectionStep &step : GridSelection::bandRelease(selectionState(), looks).steps) {
            if (step.kind == SelectionStep::Kind::Select) {
                selectItem(marked[step.index]);
            } else {
                deSelectItem(marked[step.index]);
            }
        }
        return;
    }
    clickEvents_.push_back(location);
    // Not restarted by later clicks: the first timer to fire sorts every click collected by then.
    QTimer::singleShot(QApplication::doubleClickInterval(), this, &GridView::handleClicks);
}

void GridView::mouseMoved(const QPointF &location) {
    if (!useHover_ || !isActiveWindow()) return;
    GridIndex index = indexForItemAtLocation(location);
    GridIndex last = lastHoveredIndex_;
    if (index == kNotFound && last == kNotFound) return;
    if (last != kNotFound && last != index) unHoverItemAtIndex(last);
    if (index != last) hoverItemAtIndex(index);
}

void GridView::mouseExited() {
    // Leaving the grid also ends the hover look of the item last under the pointer.
    if (lastHoveredIndex_ != kNotFound) unHoverItemAtIndex(lastHoveredIndex_);
    lastHoveredIndex_ = kNotFound;
}

void GridView::rightMouseDown(const QPointF &location) {
    GridIndex index = indexForItemAtLocation(location);
    if (index == kNotFound) {
        deselectAllItems();
        return;
    }
    GridIndexSet indexes = selectedIndexes();
    if (indexes.count(index) == 0) indexes = {index};
    applySelectionSteps(GridSelection::rightPress(selectionState(), index).steps);
    if (!itemContextMenu_) return;
    for (QAction *action : itemContextMenu_->actions()) action->setData(QVariant::fromValue(indexes));
    // popup() rather than exec(): the grid never waits in a nested event loop.
    itemContextMenu_->popup(mapToGlobal(mapFrom(window(), location)).toPoint());
    reporter_.gridViewDidActivateContextMenuWithIndexes(indexes);
}
