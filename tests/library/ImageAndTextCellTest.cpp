#include "library/ImageAndTextCell.h"

#include "LibraryTestApplication.h"

#include <QPainter>
#include <QPixmap>
#include <QStandardItemModel>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

class ImageAndTextCellTest : public ::testing::Test {
  protected:
    void SetUp() override { ensureLibraryTestApplication(); }
};

TEST_F(ImageAndTextCellTest, CellSizeMakesRoomForTheImageAndTheGap) {
    EXPECT_EQ(ImageAndTextCell::cellSize({100, 17}, {32, 32}), QSizeF(135, 17));
    EXPECT_EQ(ImageAndTextCell::cellSize({100, 17}, {}), QSizeF(103, 17));
}

TEST_F(ImageAndTextCellTest, ImageSitsInALeftSliceTwoPointsDown) {
    const auto [slice, text] = ImageAndTextCell::divideFrame({10, 36, 200, 36}, {32, 32});
    EXPECT_EQ(slice, QRectF(10, 36, 32, 36));
    EXPECT_EQ(text, QRectF(42, 36, 168, 36));
    EXPECT_EQ(ImageAndTextCell::imageRectForSlice(slice, {32, 32}), QRectF(10, 38, 32, 32));

    const auto [noSlice, wholeText] = ImageAndTextCell::divideFrame({10, 36, 200, 36}, {});
    EXPECT_EQ(noSlice.width(), 0);
    EXPECT_EQ(wholeText, QRectF(10, 36, 200, 36));
}

TEST_F(ImageAndTextCellTest, TitleIsCentredVerticallyOrPlacedForEditing) {
    const QRectF centred = ImageAndTextCell::titleRectForBounds_Vertical_Centering({42, 36, 168, 36}, 16);
    EXPECT_EQ(centred.y(), 36 + 10);
    EXPECT_EQ(centred.height(), 16);
    EXPECT_GE(centred.x(), 42);
    EXPECT_LE(centred.right(), 42 + 168);

    EXPECT_EQ(ImageAndTextCell::titleRectForBounds({10, 36, 200, 36}, {32, 32}, 16), QRectF(47, 38, 165, 16));
    EXPECT_EQ(ImageAndTextCell::titleRectForBounds({10, 36, 200, 36}, {}, 16), QRectF(15, 38, 197, 16));
}

TEST_F(ImageAndTextCellTest, RowsTakeTheOutlineRowHeightAndWidenForTheIcon) {
    QStandardItemModel model;
    auto *withIcon = new QStandardItem("CaptureImages");
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::blue);
    withIcon->setIcon(QIcon(pixmap));
    model.appendRow(withIcon);
    model.appendRow(new QStandardItem("CaptureImages"));

    ImageAndTextCell cell;
    const QStyleOptionViewItem option;
    const QSize iconRow = cell.sizeHint(option, model.index(0, 0));
    const QSize plainRow = cell.sizeHint(option, model.index(1, 0));
    EXPECT_EQ(iconRow.width() - plainRow.width(), 32);
    cell.setRowHeight(36);
    EXPECT_EQ(cell.sizeHint(option, model.index(0, 0)).height(), 36);
}

TEST_F(ImageAndTextCellTest, PaintsTheIconInItsRectangleOnly) {
    QStandardItemModel model;
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::blue);
    model.appendRow(new QStandardItem(QIcon(pixmap), "RidirOvozev"));

    QTreeView view;
    view.setModel(&model);
    ImageAndTextCell cell;
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 200, 36);
    option.widget = &view;
    option.palette.setColor(QPalette::Base, Qt::white);

    QImage canvas(200, 36, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        cell.paint(&painter, option, model.index(0, 0));
    }
    EXPECT_EQ(canvas.pixelColor(16, 18), QColor(Qt::blue));
    EXPECT_EQ(canvas.pixelColor(16, 1), QColor(Qt::white));  // 2 points down from the row's top
    EXPECT_EQ(canvas.pixelColor(16, 34), QColor(Qt::white));
    EXPECT_EQ(canvas.pixelColor(36, 18), QColor(Qt::white));  // the gap before the title
}

}  // namespace
