#pragma once

// The base of every item view in a grid: what the grid needs to place, select, hover and recycle it.
//
// Item views are plain widgets placed by the grid in its own area; they let mouse events through to the
// grid, which does all event handling. For its whole life an item listens for "GridViewSelectAllItems"
// and "GridViewDeSelectAllItems" on the default notification centre, from any sender, and selects or
// deselects itself. Subclasses that paint honour alphaValue(), which the grid animates to fade items in.

#include "gridview/GridViewTypes.h"
#include "gridview/NotificationCenter.h"

#include <QSize>
#include <QString>
#include <QVariant>
#include <QWidget>

class GridViewItemBase : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qreal alphaValue READ alphaValue WRITE setAlphaValue)

  public:
    static inline const QString kDefaultItemIdentifier = QStringLiteral("GridViewItem");
    // The grid's default item size.
    static QSize defaultItemSize() { return QSize(310, 225); }

    explicit GridViewItemBase(QWidget *parent = nullptr);
    ~GridViewItemBase() override;

    const QString &reuseIdentifier() const { return reuseIdentifier_; }
    void setReuseIdentifier(const QString &identifier) { reuseIdentifier_ = identifier; }
    GridIndex index() const { return index_; }
    void setIndex(GridIndex index) { index_ = index; }
    // Free for the data source; cleared when the grid hands the view out again for reuse.
    const QVariant &representedObject() const { return representedObject_; }
    void setRepresentedObject(const QVariant &object) { representedObject_ = object; }

    bool selected() const { return selected_; }
    virtual void setSelected(bool selected) { selected_ = selected; }
    bool selectable() const { return selectable_; }
    void setSelectable(bool selectable) { selectable_ = selectable; }
    bool hovered() const { return hovered_; }
    virtual void setHovered(bool hovered) { hovered_ = hovered; }

    // A selected item is never recycled.
    bool isReuseable() const { return !selected_; }
    // Returns the view to the state of a fresh one before it waits for reuse.
    virtual void prepareForReuse();

    qreal alphaValue() const { return alphaValue_; }
    void setAlphaValue(qreal alpha);

  private:
    bool selected_ = false;
    bool selectable_ = false;
    bool hovered_ = false;
    QString reuseIdentifier_;
    GridIndex index_ = kNotFound;
    QVariant representedObject_;
    qreal alphaValue_ = 1.0;
    NotificationCenter::Registration selectAllObserver_;
    NotificationCenter::Registration deSelectAllObserver_;
};
