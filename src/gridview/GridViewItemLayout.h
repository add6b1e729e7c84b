#pragma once

// How an item looks in one state (at rest, hovered or selected). Items share a record only when the caller
// gives them the same one, so a change to a shared record shows on every item that uses it.

#include <QColor>
#include <QFont>
#include <QPointF>

#include <cstdint>
#include <memory>

// The look of one line of text in an item.
struct GridViewTextAttributes {
    QFont font;
    QColor foregroundColor;
    QColor shadowColor;
    QPointF shadowOffset;  // on screen, +y is down
    Qt::Alignment alignment = Qt::AlignHCenter;
};

class GridViewItemLayout {
  public:
    // Bits of visibleContentMask: both set draws image and texts; the image bit alone draws a fitted image.
    static constexpr std::int32_t kImageContent = 1;
    static constexpr std::int32_t kTextContent = 2;

    static constexpr double kDefaultSelectionRingLineWidth = 3.0;
    static constexpr double kDefaultContentInset = 3.0;
    static constexpr double kDefaultItemBorderRadius = 5.0;

    // A new record with the defaults on every call.
    static std::shared_ptr<GridViewItemLayout> defaultLayout();

    GridViewItemLayout();

    std::int32_t visibleContentMask = kImageContent | kTextContent;
    QColor backgroundColor;
    QColor selectionRingColor;
    double selectionRingLineWidth;
    std::uint64_t contentInset;
    std::uint64_t itemBorderRadius;
    GridViewTextAttributes itemTitleTextAttributes;
    GridViewTextAttributes itemSizeInfoTextAttributes;
};

using GridViewItemLayoutPtr = std::shared_ptr<GridViewItemLayout>;
