#include "gridview/GridViewItem.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace {

// Offsets of the image and the two text lines inside the content rectangle (pixels).
constexpr double kImageTop = 10;
constexpr double kTextSideMargin = 3;
constexpr double kTitleFromBottom = 30;
constexpr double kSizeInfoFromBottom = 15;
constexpr double kTextLineHeight = 14;

// Floor and ceiling taken after rounding to single precision: a product such as 194 * (144 / 388) lands a
// hair off 72 in double precision, and the fitted image must not grow or shift a pixel because of it.
double floorSingle(double value) {
    return std::floor(static_cast<float>(value));
}
double ceilSingle(double value) {
    return std::ceil(static_cast<float>(value));
}

// The image alone, at its own size when it fits, else scaled to fit. The scaled rectangle is placed from
// the item's origin rather than the content rectangle's, as the thumbnails have always been drawn.
std::optional<QRectF> fittedImageRect(const QRectF &content, double inset, const QSizeF &image) {
    double iw = image.width(), ih = image.height(), cw = content.width(), ch = content.height();
    if (cw >= iw && ch >= ih) return QRectF(inset + (cw - iw) * 0.5, inset + (ch - ih) * 0.5, iw, ih);
    if (iw <= 0 || ih <= 0 || cw <= 0 || ch <= 0) return std::nullopt;
    double ratio = ih / iw;
    if (ch / cw > ratio) {
        return QRectF(0, floorSingle((ch - cw * ratio) * 0.5), cw, ceilSingle(cw * ratio));
    }
    return QRectF(floorSingle((cw - ch / ratio) * 0.5), 0, ch / ratio, ch);
}

void drawText(QPainter &painter, const QString &text, const QRectF &rect,
              const GridViewTextAttributes &attributes) {
    if (text.isEmpty()) return;
    // The 14-pixel line is shorter than a line of 12-pixel text with its descenders. Painting clips text to
    // its rectangle when it overflows, so give it one whole line: a long title still shows a single line,
    // and "g", "p" and "_" stay whole.
    QRectF line(rect.topLeft(),
                QSizeF(rect.width(), std::max(rect.height(), QFontMetricsF(attributes.font).height())));
    QTextOption option(attributes.alignment | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    painter.save();
    painter.setFont(attributes.font);
    painter.setPen(attributes.shadowColor);
    painter.drawText(line.translated(attributes.shadowOffset), text, option);
    painter.setPen(attributes.foregroundColor);
    painter.drawText(line, text, option);
    painter.restore();
}

}  // namespace

GridViewItem::Drawing GridViewItem::planDrawing(const QRectF &bounds, const GridViewItemLayout &layout,
                                                const QSizeF &imageSize) {
    double inset = static_cast<double>(layout.contentInset);
    Drawing drawing;
    drawing.content = QRectF(bounds.x() + inset, bounds.y() + inset, bounds.width() - 2 * inset,
                             bounds.height() - 2 * inset);
    const QRectF &c = drawing.content;
    std::int32_t mask = layout.visibleContentMask;
    const std::int32_t both = GridViewItemLayout::kImageContent | GridViewItemLayout::kTextContent;
    if ((mask & both) == both) {
        drawing.image = QRectF(inset + (c.width() - imageSize.width()) * 0.5, inset + kImageTop,
                               imageSize.width(), imageSize.height());
        double textWidth = c.width() - 2 * kTextSideMargin;
        drawing.title =
            QRectF(c.x() + kTextSideMargin, c.height() - kTitleFromBottom, textWidth, kTextLineHeight);
        drawing.sizeInfo =
            QRectF(c.x() + kTextSideMargin, c.height() - kSizeInfoFromBottom, textWidth, kTextLineHeight);
    } else if (mask & GridViewItemLayout::kImageContent) {
        drawing.image = fittedImageRect(c, inset, imageSize);
    }
    return drawing;
}

GridViewItem::GridViewItem(QWidget *parent)
    : GridViewItemBase(parent),
      defaultLayout_(GridViewItemLayout::defaultLayout()),
      hoverLayout_(GridViewItemLayout::defaultLayout()),
      selectionLayout_(GridViewItemLayout::defaultLayout()),
      currentLayout_(defaultLayout_) {}

GridViewItem::GridViewItem(const GridViewItemLayoutPtr &layout, const QString &reuseIdentifier,
                           QWidget *parent)
    : GridViewItem(parent) {
    defaultLayout_ = layout;
    hoverLayout_ = layout;
    selectionLayout_ = layout;
    currentLayout_ = layout;
    setReuseIdentifier(reuseIdentifier);
}

void GridViewItem::setDefaultLayout(const GridViewItemLayoutPtr &layout) {
    defaultLayout_ = layout;
    currentLayout_ = layout;
}

void GridViewItem::setHovered(bool hovered) {
    GridViewItemBase::setHovered(hovered);
    if (hovered) {
        currentLayout_ = hoverLayout_;
    } else {
        currentLayout_ = selected() ? selectionLayout_ : defaultLayout_;
    }
    update();
}

void GridViewItem::setSelected(bool selected) {
    GridViewItemBase::setSelected(selected);
    currentLayout_ = selected ? selectionLayout_ : defaultLayout_;
    update();
}

void GridViewItem::prepareForReuse() {
    GridViewItemBase::prepareForReuse();
    itemImage_ = QImage();
    itemTitle_.clear();
    itemSizeInfo_.clear();
    itemURL_.clear();
}

GridViewItem::Drawing GridViewItem::drawing() const {
    QSizeF imageSize = itemImage_.isNull() ? QSizeF(0, 0) : itemImage_.deviceIndependentSize();
    return planDrawing(QRectF(rect()), *currentLayout_, imageSize);
}

void GridViewItem::paintEvent(QPaintEvent *) {
    const GridViewItemLayout &layout = *currentLayout_;
    Drawing plan = drawing();
    QPainter painter(this);
    painter.setOpacity(alphaValue());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    QPainterPath path;
    double radius = static_cast<double>(layout.itemBorderRadius);
    path.addRoundedRect(plan.content, radius, radius);
    painter.fillPath(path, layout.backgroundColor);
    // The ring follows the selected flag alone, in the colour of whichever look is current.
    if (selected()) painter.strokePath(path, QPen(layout.selectionRingColor, layout.selectionRingLineWidth));

    if (plan.image && !itemImage_.isNull()) {
        painter.drawImage(*plan.image, itemImage_, QRectF(itemImage_.rect()));
    }
    if (plan.title) drawText(painter, itemTitle_, *plan.title, layout.itemTitleTextAttributes);
    if (plan.sizeInfo) drawText(painter, itemSizeInfo_, *plan.sizeInfo, layout.itemSizeInfoTextAttributes);
}
