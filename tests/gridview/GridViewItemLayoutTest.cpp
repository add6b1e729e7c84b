#include "gridview/GridViewItemLayout.h"

#include "gridview/GridViewPalette.h"

#include <gtest/gtest.h>

namespace {

TEST(GridViewItemLayoutTest, Defaults) {
    auto layout = GridViewItemLayout::defaultLayout();
    EXPECT_EQ(layout->visibleContentMask, 3);
    EXPECT_EQ(layout->contentInset, 3u);
    EXPECT_EQ(layout->itemBorderRadius, 5u);
    EXPECT_DOUBLE_EQ(layout->selectionRingLineWidth, 3.0);
    EXPECT_EQ(layout->backgroundColor, QColor::fromRgbF(0, 0, 0, 0.05f));
    EXPECT_EQ(layout->selectionRingColor, QColor::fromRgbF(0.346f, 0.531f, 0.792f, 1.0f));
    EXPECT_EQ(layout->itemTitleTextAttributes.font.pixelSize(), 12);
    EXPECT_EQ(layout->itemSizeInfoTextAttributes.font.pixelSize(), 11);
    EXPECT_EQ(layout->itemTitleTextAttributes.foregroundColor, GridViewPalette::itemTitleColor());
    EXPECT_EQ(layout->itemTitleTextAttributes.shadowColor, GridViewPalette::itemTitleShadowColor());
    EXPECT_EQ(layout->itemTitleTextAttributes.alignment, Qt::AlignHCenter);
}

TEST(GridViewItemLayoutTest, EveryCallMakesANewRecord) {
    auto first = GridViewItemLayout::defaultLayout();
    auto second = GridViewItemLayout::defaultLayout();
    EXPECT_NE(first, second);
    first->backgroundColor = Qt::red;
    EXPECT_EQ(second->backgroundColor, GridViewPalette::itemBackgroundColor());
}

}  // namespace
