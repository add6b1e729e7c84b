#include "gridview/GridViewItemLayout.h"

#include "gridview/GridViewPalette.h"

namespace {

// Sizes are in device-independent pixels, as the item's geometry is, so the text keeps its place in the
// 14-pixel text rectangles whatever the screen's dots per inch.
GridViewTextAttributes textAttributes(int pixelSize) {
    GridViewTextAttributes attributes;
    attributes.font = QFont(QStringLiteral("Helvetica"));
    attributes.font.setStyleHint(QFont::SansSerif);
    attributes.font.setPixelSize(pixelSize);
    attributes.foregroundColor = GridViewPalette::itemTitleColor();
    attributes.shadowColor = GridViewPalette::itemTitleShadowColor();
    attributes.shadowOffset = QPointF(0, 1);  // one pixel below the text
    attributes.alignment = Qt::AlignHCenter;
    return attributes;
}

}  // namespace

std::shared_ptr<GridViewItemLayout> GridViewItemLayout::defaultLayout() {
    return std::make_shared<GridViewItemLayout>();
}

GridViewItemLayout::GridViewItemLayout()
    : backgroundColor(GridViewPalette::itemBackgroundColor()),
      selectionRingColor(GridViewPalette::itemSelectionRingColor()),
      selectionRingLineWidth(kDefaultSelectionRingLineWidth),
      contentInset(static_cast<std::uint64_t>(kDefaultContentInset)),
      itemBorderRadius(static_cast<std::uint64_t>(kDefaultItemBorderRadius)),
      itemTitleTextAttributes(textAttributes(12)),
      itemSizeInfoTextAttributes(textAttributes(11)) {}
