#pragma once

// The thumbnail item: an image above a title and a size text, drawn with one of three looks (at rest,
// hovered, selected). Setting the image or the texts does not repaint by itself; the grid shows a view
// after the data source has filled it.

#include "gridview/GridViewItemBase.h"
#include "gridview/GridViewItemLayout.h"

#include <QImage>
#include <QRectF>
#include <QString>

#include <optional>

class GridViewItem : public GridViewItemBase {
    Q_OBJECT

  public:
    // Where the parts of an item go, in the item's own coordinates.
    struct Drawing {
        QRectF content;               // the rounded background (and the ring when selected)
        std::optional<QRectF> image;  // absent when no image is drawn
        std::optional<QRectF> title;  // the texts are drawn only with image and texts both visible
        std::optional<QRectF> sizeInfo;
    };
    static Drawing planDrawing(const QRectF &bounds, const GridViewItemLayout &layout,
                               const QSizeF &imageSize);

    explicit GridViewItem(QWidget *parent = nullptr);
    // Uses layout as default, hover and selection look alike; callers usually set their own hover and
    // selection looks next.
    GridViewItem(const GridViewItemLayoutPtr &layout, const QString &reuseIdentifier,
                 QWidget *parent = nullptr);

    const QImage &itemImage() const { return itemImage_; }
    void setItemImage(const QImage &image) { itemImage_ = image; }
    const QString &itemTitle() const { return itemTitle_; }
    void setItemTitle(const QString &title) { itemTitle_ = title; }
    const QString &itemSizeInfo() const { return itemSizeInfo_; }
    void setItemSizeInfo(const QString &sizeInfo) { itemSizeInfo_ = sizeInfo; }
    // The file the item stands for; not drawn.
    const QString &itemURL() const { return itemURL_; }
    void setItemURL(const QString &url) { itemURL_ = url; }

    const GridViewItemLayoutPtr &defaultLayout() const { return defaultLayout_; }
    // Also makes it the current look, whatever the item's state.
    void setDefaultLayout(const GridViewItemLayoutPtr &layout);
    const GridViewItemLayoutPtr &hoverLayout() const { return hoverLayout_; }
    void setHoverLayout(const GridViewItemLayoutPtr &layout) { hoverLayout_ = layout; }
    const GridViewItemLayoutPtr &selectionLayout() const { return selectionLayout_; }
    void setSelectionLayout(const GridViewItemLayoutPtr &layout) { selectionLayout_ = layout; }
    const GridViewItemLayoutPtr &currentLayout() const { return currentLayout_; }
    void setCurrentLayout(const GridViewItemLayoutPtr &layout) { currentLayout_ = layout; }
    bool useLayout() const { return useLayout_; }
    void setUseLayout(bool use) { useLayout_ = use; }

    // Hover wins over selection for the look; the look follows selection alone when selection changes.
    void setHovered(bool hovered) override;
    void setSelected(bool selected) override;
    void clearHovering() { setHovered(false); }
    void clearSelection() { setSelected(false); }
    void prepareForReuse() override;

    Drawing drawing() const;

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    bool useLayout_ = true;
    QImage itemImage_;
    QString itemTitle_;
    QString itemSizeInfo_;
    QString itemURL_;
    GridViewItemLayoutPtr defaultLayout_;
    GridViewItemLayoutPtr hoverLayout_;
    GridViewItemLayoutPtr selectionLayout_;
    GridViewItemLayoutPtr currentLayout_;
};
