#include "gridview/GridViewItem.h"

#include "gridview/GridViewNotifications.h"
#include "gridview/NotificationCenter.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QRectF kBounds(0, 0, 200, 150);

GridViewItem::Drawing plan(std::int32_t mask, QSizeF image) {
    GridViewItemLayout layout;
    layout.visibleContentMask = mask;
    return GridViewItem::planDrawing(kBounds, layout, image);
}

TEST(GridViewItemTest, ImageAndTextRectangles) {
    GridViewItem::Drawing drawing = plan(3, QSizeF(160, 90));
    EXPECT_EQ(drawing.content, QRectF(3, 3, 194, 144));
    EXPECT_EQ(drawing.image, QRectF(20, 13, 160, 90));
    EXPECT_EQ(drawing.title, QRectF(6, 114, 188, 14));
    EXPECT_EQ(drawing.sizeInfo, QRectF(6, 129, 188, 14));
}

TEST(GridViewItemTest, ImageOnlyFitsOrCentres) {
    // Too wide: scaled to the content width, centred down from the item's own top.
    EXPECT_EQ(plan(1, QSizeF(388, 144)).image, QRectF(0, 36, 194, 72));
    EXPECT_EQ(plan(1, QSizeF(100, 100)).image, QRectF(50, 25, 100, 100));
    // Too tall: scaled to the content height.
    EXPECT_EQ(plan(1, QSizeF(100, 288)).image, QRectF(72, 0, 50, 144));
    EXPECT_FALSE(plan(1, QSizeF(0, 300)).image);
    EXPECT_FALSE(plan(1, QSizeF(100, 100)).title);
    // Any other mask draws only the background.
    EXPECT_FALSE(plan(0, QSizeF(100, 100)).image);
    EXPECT_FALSE(plan(2, QSizeF(100, 100)).image);
    EXPECT_FALSE(plan(2, QSizeF(100, 100)).title);
}

class GridViewItemStateTest : public testing::Test {
  protected:
    void SetUp() override {
        item.setHoverLayout(hover);
        item.setSelectionLayout(selection);
    }
    GridViewItem item;
    GridViewItemLayoutPtr hover = GridViewItemLayout::defaultLayout();
    GridViewItemLayoutPtr selection = GridViewItemLayout::defaultLayout();
};

TEST_F(GridViewItemStateTest, LayoutFollowsHoverThenSelection) {
    EXPECT_EQ(item.currentLayout(), item.defaultLayout());
    item.setHovered(true);
    EXPECT_EQ(item.currentLayout(), hover);
    item.setSelected(true);
    EXPECT_EQ(item.currentLayout(), selection);
    item.setHovered(false);
    EXPECT_EQ(item.currentLayout(), selection);
    item.setHovered(true);
    EXPECT_EQ(item.currentLayout(), hover);  // hover wins while the pointer is over it
    item.setSelected(false);
    EXPECT_EQ(item.currentLayout(), item.defaultLayout());  // selection alone decides on deselect
    auto other = GridViewItemLayout::defaultLayout();
    item.setDefaultLayout(other);
    EXPECT_EQ(item.currentLayout(), other);
}

TEST_F(GridViewItemStateTest, SharedLayoutForAllStates) {
    auto shared = GridViewItemLayout::defaultLayout();
    GridViewItem custom(shared, "Thumb");
    EXPECT_EQ(custom.reuseIdentifier(), "Thumb");
    EXPECT_EQ(custom.hoverLayout(), shared);
    EXPECT_EQ(custom.selectionLayout(), shared);
    EXPECT_EQ(custom.currentLayout(), shared);
    EXPECT_EQ(item.reuseIdentifier(), "GridViewItem");
    EXPECT_EQ(item.index(), kNotFound);
}

TEST_F(GridViewItemStateTest, PrepareForReuseResetsEverything) {
    item.setIndex(7);
    item.setHovered(true);
    item.setSelected(true);
    item.setSelectable(false);
    item.setItemImage(QImage(10, 10, QImage::Format_ARGB32));
    item.setItemTitle("t");
    item.setItemSizeInfo("s");
    item.setItemURL("/tmp/x.png");
    EXPECT_FALSE(item.isReuseable());
    item.prepareForReuse();
    EXPECT_FALSE(item.selected());
    EXPECT_FALSE(item.hovered());
    EXPECT_TRUE(item.selectable());
    EXPECT_TRUE(item.isReuseable());
    EXPECT_EQ(item.currentLayout(), item.defaultLayout());
    EXPECT_EQ(item.index(), kNotFound);
    EXPECT_TRUE(item.itemImage().isNull());
    EXPECT_TRUE(item.itemTitle().isEmpty());
    EXPECT_TRUE(item.itemSizeInfo().isEmpty());
    EXPECT_TRUE(item.itemURL().isEmpty());
}

TEST(GridViewItemNotificationTest, SelectAllAndDeselectAllFromAnySender) {
    GridViewItem first, second;
    QObject stranger;
    NotificationCenter::defaultCenter().postNotificationName(GridViewSelectAllItemsNotification, &stranger);
    EXPECT_TRUE(first.selected());
    EXPECT_TRUE(second.selected());
    EXPECT_EQ(first.currentLayout(), first.selectionLayout());
    NotificationCenter::defaultCenter().postNotificationName(GridViewDeSelectAllItemsNotification, nullptr);
    EXPECT_FALSE(first.selected());
    EXPECT_FALSE(second.selected());
    std::size_t before = NotificationCenter::defaultCenter().observerCount();
    { GridViewItem shortLived; }
    EXPECT_EQ(NotificationCenter::defaultCenter().observerCount(), before);
}

// Draws the item on white and returns the picture.
QImage render(GridViewItem &item) {
    QImage image(item.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    item.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);  // no window background
    return image;
}

class GridViewItemPaintTest : public testing::Test {
  protected:
    void SetUp() override {
        item.resize(200, 150);
        hover->selectionRingColor = QColor(255, 0, 0);
        hover->backgroundColor = QColor(0, 0, 0, 0);
        item.setHoverLayout(hover);
        item.setSelectionLayout(GridViewItemLayout::defaultLayout());
    }
    GridViewItem item;
    GridViewItemLayoutPtr hover = GridViewItemLayout::defaultLayout();
};

TEST_F(GridViewItemPaintTest, RingOnlyWhenSelectedInTheCurrentLookColour) {
    const QPoint onRing(3, 75);  // the left edge of the content rectangle
    item.setHovered(true);
    EXPECT_EQ(render(item).pixelColor(onRing), QColor(Qt::white));
    item.setSelected(true);
    item.setHovered(true);  // the hover look stays current
    ASSERT_EQ(item.currentLayout(), hover);
    QColor ring = render(item).pixelColor(onRing);
    EXPECT_GT(ring.red(), 200);
    EXPECT_LT(ring.green(), 60);
    // Outside the content rectangle and its ring nothing is drawn.
    EXPECT_EQ(render(item).pixelColor(QPoint(0, 0)), QColor(Qt::white));
}

TEST_F(GridViewItemPaintTest, ImageAndTextLandInTheirRectangles) {
    QImage picture(160, 90, QImage::Format_ARGB32);
    picture.fill(QColor(0, 0, 255));
    item.setItemImage(picture);
    item.setItemTitle("WWWWWWWW");
    QImage drawn = render(item);
    EXPECT_EQ(drawn.pixelColor(QPoint(20, 13)), QColor(0, 0, 255));
    EXPECT_EQ(drawn.pixelColor(QPoint(179, 102)), QColor(0, 0, 255));
    EXPECT_NE(drawn.pixelColor(QPoint(19, 50)), QColor(0, 0, 255));
    EXPECT_NE(drawn.pixelColor(QPoint(100, 103)), QColor(0, 0, 255));
    int dark = 0;
    for (int y = 114; y < 128; ++y) {
        for (int x = 6; x < 194; ++x) dark += drawn.pixelColor(x, y).lightness() < 128 ? 1 : 0;
    }
    EXPECT_GT(dark, 20) << "the title is drawn in its rectangle";
}

TEST_F(GridViewItemPaintTest, LongTitleShowsOneWholeLine) {
    item.setItemTitle("a long title with words that wrap onto a second and a third line here");
    QImage drawn = render(item);
    auto darkInRows = [&drawn](int top, int bottom) {
        int dark = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = 6; x < 194; ++x) dark += drawn.pixelColor(x, y).lightness() < 128 ? 1 : 0;
        }
        return dark;
    };
    QFontMetricsF metrics(item.currentLayout()->itemTitleTextAttributes.font);
    int baseline = 114 + int(metrics.ascent());
    EXPECT_GT(darkInRows(114, baseline), 20);
    EXPECT_GT(darkInRows(baseline + 1, baseline + int(metrics.descent())), 0) << "descenders stay whole";
    EXPECT_EQ(darkInRows(114 + int(std::ceil(metrics.height())) + 1, 150), 0) << "no second line";
}

TEST_F(GridViewItemPaintTest, AlphaValueFadesTheWholeItem) {
    item.setSelected(true);
    item.setAlphaValue(0);
    EXPECT_EQ(render(item).pixelColor(QPoint(3, 75)), QColor(Qt::white));
}

}  // namespace
