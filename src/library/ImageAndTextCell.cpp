#include "library/ImageAndTextCell.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>

namespace {

// A plain text cell keeps its title this far from its left and right edges.
constexpr qreal kTextInset = 2;
// The small system font is this fraction of the regular one (11 of 13 points on desktops that have both).
constexpr qreal kSmallFontScale = 11.0 / 13.0;

}  // namespace

ImageAndTextCell::ImageAndTextCell(QObject *parent)
    : QStyledItemDelegate(parent), font_(QFontDatabase::systemFont(QFontDatabase::GeneralFont)) {
    font_.setPointSizeF(font_.pointSizeF() * kSmallFontScale);
}

QSizeF ImageAndTextCell::cellSize(const QSizeF &baseSize, const QSizeF &imageSize) {
    const qreal imageWidth = imageSize.isEmpty() ? 0 : imageSize.width();
    return {baseSize.width() + imageWidth + kImageTitleGap, baseSize.height()};
}

std::pair<QRectF, QRectF> ImageAndTextCell::divideFrame(const QRectF &frame, const QSizeF &imageSize) {
    const qreal imageWidth = imageSize.isEmpty() ? 0 : std::min(imageSize.width(), frame.width());
    const QRectF slice(frame.x(), frame.y(), imageWidth, frame.height());
    const QRectF text(frame.x() + imageWidth, frame.y(), frame.width() - imageWidth, frame.height());
    return {slice, text};
}

QRectF ImageAndTextCell::imageRectForSlice(const QRectF &slice, const QSizeF &imageSize) {
    return {slice.topLeft() + QPointF(0, 2), imageSize};
}

QRectF ImageAndTextCell::titleRectForBounds_Vertical_Centering(const QRectF &bounds, qreal textHeight) {
    const QRectF base = bounds.adjusted(kTextInset, 0, -kTextInset, 0);
    return {base.x(), bounds.y() + (bounds.height() - textHeight) * 0.5, base.width(), textHeight};
}

QRectF ImageAndTextCell::titleRectForBounds(const QRectF &bounds, const QSizeF &imageSize, qreal textHeight) {
    const qreal imageWidth = imageSize.isEmpty() ? 0 : imageSize.width();
    const qreal split = std::min(imageWidth + kImageTitleGap, bounds.width());
    const QRectF remainder(bounds.x() + split, bounds.y(), bounds.width() - split, bounds.height());
    return {remainder.x() + 2, remainder.y() + 2, remainder.width(), textHeight};
}

void ImageAndTextCell::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();

    // Row background and selection highlight, as the view draws them for any item.
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

    const QSizeF imageSize = imageSizeOf(index);
    const auto [slice, textFrame] = divideFrame(opt.rect, imageSize);
    if (!imageSize.isEmpty()) {
        const QIcon::Mode mode = (opt.state & QStyle::State_Selected) ? QIcon::Selected : QIcon::Normal;
        opt.icon.paint(painter, imageRectForSlice(slice, imageSize).toRect(), Qt::AlignCenter, mode);
    }

    const QRectF title = titleRectForBounds_Vertical_Centering(textFrame, textHeight());
    const QPalette::ColorGroup group =
        (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    const QPalette::ColorRole role =
        (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;
    painter->save();
    painter->setFont(font_);
    painter->setPen(opt.palette.color(group, role));
    const QString shown = QFontMetricsF(font_).elidedText(opt.text, Qt::ElideRight, title.width());
    painter->drawText(title, Qt::AlignLeft | Qt::AlignVCenter, shown);
    painter->restore();
}

QSize ImageAndTextCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const {
    Q_UNUSED(option);
    const QSizeF size = cellSize(baseCellSize(index.data(Qt::DisplayRole).toString()), imageSizeOf(index));
    return {qCeil(size.width()), rowHeight_ > 0 ? rowHeight_ : qCeil(size.height())};
}

void ImageAndTextCell::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                            const QModelIndex &index) const {
    editor->setGeometry(titleRectForBounds(option.rect, imageSizeOf(index), textHeight()).toAlignedRect());
}

QSizeF ImageAndTextCell::baseCellSize(const QString &title) const {
    const QFontMetricsF metrics(font_);
    return {metrics.horizontalAdvance(title) + 2 * kTextInset, metrics.height()};
}

qreal ImageAndTextCell::textHeight() const {
    return QFontMetricsF(font_).height();
}

QSizeF ImageAndTextCell::imageSizeOf(const QModelIndex &index) {
    const QVariant decoration = index.data(Qt::DecorationRole);
    const bool hasImage = decoration.canConvert<QIcon>() && !decoration.value<QIcon>().isNull();
    return hasImage ? QSizeF(kImageSize) : QSizeF();
}
