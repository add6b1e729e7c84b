// deskcam-gridview-demo: the grid view control on its own, with 10 000 generated thumbnails, so that a person
// can scroll, hover, select (Shift, Control), rubber-band and right-click, and watch the events in the log.
//
//   deskcam-gridview-demo [--count N] [--sample-states] [--scroll-rows R]
//
// --sample-states selects, hovers and draws a band at start-up, and --scroll-rows scrolls down R rows one at
// a time, to look at every state and at recycled views without a mouse.

#include "base/Log.h"
#include "gridview/GridView.h"
#include "gridview/GridViewItem.h"
#include "gridview/GridViewPalette.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

namespace {

constexpr GridIndex kDefaultCount = 10000;
const QSize kThumbnailSize(160, 90);

QImage makeThumbnail(GridIndex index) {
    QImage image(kThumbnailSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor::fromHsv(int((index * 37) % 360), 90, 230));
    QPainter painter(&image);
    painter.setPen(QColor(40, 40, 40));
    QFont font(QStringLiteral("Helvetica"));
    font.setPixelSize(28);
    painter.setFont(font);
    painter.drawText(image.rect(), Qt::AlignCenter, QString::number(index));
    return image;
}

class DemoGrid : public GridViewDataSource, public GridViewDelegate {
  public:
    explicit DemoGrid(GridIndex count) : count_(count) {
        // The library window's looks: grey under the pointer, light blue when selected.
        hoverLayout_->backgroundColor = QColor::fromRgbF(0.5f, 0.5f, 0.5f, 0.42f);
        selectionLayout_->backgroundColor = QColor::fromRgbF(0.542f, 0.699f, 0.807f, 0.42f);
    }

    GridIndex gridViewNumberOfItemsInSection(GridView *, GridIndex) override { return count_; }

    GridViewItemBase *gridViewItemAtIndex(GridView *gridView, GridIndex index, GridIndex) override {
        GridViewItem *item =
            gridView->dequeueReusableItemWithIdentifier(GridViewItemBase::kDefaultItemIdentifier);
        if (item == nullptr) {
            item = new GridViewItem(defaultLayout_, GridViewItemBase::kDefaultItemIdentifier);
            ++viewsMade_;
        }
        item->setHoverLayout(hoverLayout_);
        item->setSelectionLayout(selectionLayout_);
        item->setItemTitle(QStringLiteral("image_%1.png").arg(index, 5, 10, QLatin1Char('0')));
        item->setItemImage(makeThumbnail(index));
        item->setItemSizeInfo(
            QStringLiteral("%1 * %2").arg(kThumbnailSize.width()).arg(kThumbnailSize.height()));
        return item;
    }

    void gridViewDidClickItemAtIndex(GridView *, GridIndex index, GridIndex) override {
        deskcam::logLine("didClickItemAtIndex: %li (views made so far: %d)", long(index), viewsMade_);
    }
    void gridViewDidDoubleClickItemAtIndex(GridView *, GridIndex index, GridIndex) override {
        deskcam::logLine("didDoubleClickItemAtIndex: %li", long(index));
    }
    void gridViewDidSelectItemAtIndex(GridView *, GridIndex index, GridIndex) override {
        deskcam::logLine("didSelectItemAtIndex: %li", long(index));
    }
    void gridViewDidDeselectItemAtIndex(GridView *, GridIndex index, GridIndex) override {
        deskcam::logLine("didDeselectItemAtIndex: %li", long(index));
    }
    void gridViewDidActivateContextMenuWithIndexes(GridView *, const GridIndexSet &indexes,
                                                   GridIndex) override {
        QStringList text;
        for (GridIndex i : indexes) text << QString::number(i);
        deskcam::logLine("rightMouseButtonClickedOnItemAtIndex: [%s]", qPrintable(text.join(", ")));
    }

  private:
    GridIndex count_;
    int viewsMade_ = 0;
    GridViewItemLayoutPtr defaultLayout_ = GridViewItemLayout::defaultLayout();
    GridViewItemLayoutPtr hoverLayout_ = GridViewItemLayout::defaultLayout();
    GridViewItemLayoutPtr selectionLayout_ = GridViewItemLayout::defaultLayout();
};

void showSampleStates(GridView &grid) {
    grid.selectItemAtIndex(1, Qt::NoModifier);
    grid.selectItemAtIndex(2, Qt::ControlModifier);
    grid.hoverItemAtIndex(2);
    grid.hoverItemAtIndex(4);
    grid.drawSelectionFrameForMousePointerAtLocation(QPointF(120, 330));
    grid.drawSelectionFrameForMousePointerAtLocation(QPointF(520, 520));
}

}  // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("The deskcam grid view control with generated thumbnails.");
    parser.addHelpOption();
    QCommandLineOption countOption("count", "Number of items (default 10000).", "N",
                                   QString::number(kDefaultCount));
    QCommandLineOption sampleOption("sample-states", "Select, hover and draw a band at start-up.");
    QCommandLineOption scrollOption("scroll-rows", "Scroll down R rows, one every 20 ms, at start-up.", "R",
                                    "0");
    parser.addOption(countOption);
    parser.addOption(sampleOption);
    parser.addOption(scrollOption);
    parser.process(app);

    DemoGrid demo(parser.value(countOption).toULongLong());
    QScrollArea window;
    window.setWindowTitle("deskcam grid view demo");
    window.setFrameShape(QFrame::NoFrame);
    auto *grid = new GridView;
    window.setWidget(grid);
    grid->setItemSize(QSizeF(200, 150));
    grid->setAllowsMultipleSelection(true);
    grid->setAllowsMultipleSelectionWithDrag(true);
    grid->setDataSource(&demo);
    grid->setDelegate(&demo);
    QMenu menu;
    menu.addAction("Open");
    menu.addAction("Show in Folder");
    grid->setItemContextMenu(&menu);
    window.resize(1000, 720);
    window.show();
    grid->reloadDataAnimated(true);
    if (parser.isSet(sampleOption)) QTimer::singleShot(500, grid, [grid] { showSampleStates(*grid); });
    int rowsToScroll = parser.value(scrollOption).toInt();
    for (int row = 1; row <= rowsToScroll; ++row) {
        QTimer::singleShot(500 + 20 * row, &window,
                           [&window, row] { window.verticalScrollBar()->setValue(row * 150); });
    }
    int status = app.exec();
    grid->setDelegate(nullptr);
    grid->setDataSource(nullptr);
    return status;
}
