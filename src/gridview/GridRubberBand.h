#pragma once

// The rubber band of a drag across the grid: the frame view drawn from the press to the pointer, and the
// views it marks on its way. A marked view looks as GridSelection::bandLook says; one the band has left
// looks again as before the drag. The selection itself changes only on release, from what finish returns.
// Marked views point into the grid's item store; the band owns none of them. GUI thread only.

#include "gridview/GridGeometry.h"
#include "gridview/GridItemStore.h"
#include "gridview/SelectionFrameView.h"

#include <QPointF>
#include <QPointer>
#include <QRectF>

#include <functional>

class QWidget;

class GridRubberBand {
  public:
    using ItemTable = GridItemStore::ItemTable;

    struct Hooks {
        std::function<GridViewItemBase *(GridIndex)> placed;
        // The selection's view at index, or nullptr.
        std::function<GridViewItemBase *(GridIndex)> selected;
    };

    GridRubberBand(QWidget &grid, Hooks hooks);

    SelectionFrameView *frameView() const { return frameView_; }
    // The first call starts the band at location; later ones stretch it to location (grid coordinates).
    void drawTo(const QPointF &location, const GridGeometry &geometry);
    void markCovered(const QRectF &band, const GridGeometry &geometry, Qt::KeyboardModifiers modifiers);
    bool marks(const GridViewItemBase &item) const;
    // Keeps the frame above item views placed after it.
    void raise();
    // Takes the frame down and hands over the marked views.
    ItemTable finish();

  private:
    QWidget &grid_;
    Hooks hooks_;
    QPointer<SelectionFrameView> frameView_;
    QPointF start_;
    ItemTable marked_;
};
