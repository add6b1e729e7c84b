#pragma once

// Draws one row of the library's folder tree: the folder's icon at the left, its name beside it, centred
// vertically in the row. The geometry is kept in static functions (in the view's coordinates, y growing
// downwards) so that painting, the size hint and the editor place things the same way.
//
// The row's image is the model's decoration (a QIcon, drawn at kImageSize); its title is the display text.

#include <QFont>
#include <QStyledItemDelegate>

class ImageAndTextCell : public QStyledItemDelegate {
    Q_OBJECT
  public:
    // The size the row icons are drawn at.
    static constexpr QSize kImageSize{32, 32};
    // Gap between the image and the title.
    static constexpr qreal kImageTitleGap = 3;

    // Sets the cell's font to the small system font.
    explicit ImageAndTextCell(QObject *parent = nullptr);

    // The base text cell's size with room for the image (an empty imageSize means no image).
    static QSizeF cellSize(const QSizeF &baseSize, const QSizeF &imageSize);
    // The frame split into the image slice at the left (full height) and the text frame right of it.
    static std::pair<QRectF, QRectF> divideFrame(const QRectF &frame, const QSizeF &imageSize);
    // Where the image is drawn: at the slice's origin, 2 down, at its own size.
    static QRectF imageRectForSlice(const QRectF &slice, const QSizeF &imageSize);
    // The base title rectangle with its height set to the text height and centred vertically in bounds.
    static QRectF titleRectForBounds_Vertical_Centering(const QRectF &bounds, qreal textHeight);
    // The title rectangle for editing: right of the image and gap, moved 2 right and 2 down.
    static QRectF titleRectForBounds(const QRectF &bounds, const QSizeF &imageSize, qreal textHeight);

    QFont font() const { return font_; }
    // 0 lets the text decide the row height; the outline sets its row height here.
    void setRowHeight(int height) { rowHeight_ = height; }
    int rowHeight() const { return rowHeight_; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

  private:
    // The size of the row's title as a plain text cell would report it.
    QSizeF baseCellSize(const QString &title) const;
    qreal textHeight() const;
    static QSizeF imageSizeOf(const QModelIndex &index);

    QFont font_;
    int rowHeight_ = 0;
};
