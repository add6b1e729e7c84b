// Scrolls a grid of 10 000 thumbnails from top to bottom, one row per step, the way a wheel or the scroll
// bar moves it, and reports:
//   views    : item views the data source ever had to make (the rest were recycled); the aim is the rows in
//              view plus the spare row, times the columns, plus at most one more row
//   layout   : per step, what the grid itself does (recycle, place, arrange), without painting
//   step     : per step, that plus repainting the viewport with the grid and its items
//   baseline : per step, repainting a plain widget of the viewport's size (measured in the same run)
// Each figure is the best of three rounds.
//
//   bench_gridview [items]        (default 10000; runs offscreen unless QT_QPA_PLATFORM says otherwise)

#include "gridview/GridView.h"
#include "gridview/GridViewItem.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr GridIndex kDefaultItems = 10000;
constexpr QSize kViewport(820, 600);  // 4 columns of 200 x 150, 4 rows in view
constexpr int kRounds = 3;

// Hands out thumbnails the way the library window does: recycled views first, pictures already made.
class ThumbnailSource : public GridViewDataSource {
  public:
    explicit ThumbnailSource(GridIndex count) : count_(count) {
        for (int i = 0; i < 16; ++i) {
            QImage image(160, 90, QImage::Format_ARGB32_Premultiplied);
            image.fill(QColor::fromHsv(i * 22, 90, 230));
            pictures_.push_back(image);
        }
    }
    int viewsMade() const { return viewsMade_; }

    GridIndex gridViewNumberOfItemsInSection(GridView *, GridIndex) override { return count_; }
    GridViewItemBase *gridViewItemAtIndex(GridView *grid, GridIndex index, GridIndex) override {
        GridViewItem *item =
            grid->dequeueReusableItemWithIdentifier(GridViewItemBase::kDefaultItemIdentifier);
        if (item == nullptr) {
            item = new GridViewItem;
            ++viewsMade_;
        }
        item->setItemImage(pictures_[index % pictures_.size()]);
        item->setItemTitle(QStringLiteral("image_%1.png").arg(index));
        item->setItemSizeInfo(QStringLiteral("1920 * 1080"));
        return item;
    }

  private:
    GridIndex count_;
    int viewsMade_ = 0;
    std::vector<QImage> pictures_;
};

// Microseconds per step of the best of kRounds rounds.
double bestMicrosecondsPerStep(int steps, const std::function<void()> &rewind,
                               const std::function<void(int)> &step) {
    double best = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        rewind();
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < steps; ++i) step(i);
        best = std::min(best, double(timer.nsecsElapsed()) / 1000.0 / steps);
    }
    return best;
}

}  // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    GridIndex items = argc > 1 ? QByteArray(argv[1]).toULongLong() : kDefaultItems;

    ThumbnailSource source(items);
    QScrollArea area;
    area.setFrameShape(QFrame::NoFrame);
    auto *grid = new GridView;
    area.setWidget(grid);
    grid->setItemSize(QSizeF(200, 150));
    grid->setDataSource(&source);
    area.show();
    area.resize(kViewport + (area.size() - area.viewport()->size()));
    grid->reloadData();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();

    QScrollBar *bar = area.verticalScrollBar();
    const int rowHeight = 150;
    const int steps = bar->maximum() / rowHeight + 1;
    auto rewind = [&] {
        bar->setValue(0);
        area.viewport()->repaint();
    };
    auto scrollOnly = [&](int i) { bar->setValue(i * rowHeight); };
    auto scrollAndPaint = [&](int i) {
        bar->setValue(i * rowHeight);
        area.viewport()->repaint();
    };
    double layout = bestMicrosecondsPerStep(steps, rewind, scrollOnly);
    double step = bestMicrosecondsPerStep(steps, rewind, scrollAndPaint);

    QWidget plain;
    plain.setAutoFillBackground(true);
    plain.resize(area.viewport()->size());
    plain.show();
    QCoreApplication::processEvents();
    double baseline = bestMicrosecondsPerStep(
        steps, [] {}, [&](int) { plain.repaint(); });

    std::uint64_t columns = grid->columnsInGridView(), rowsInView = grid->visibleRowsInGridView();
    std::uint64_t aim = (rowsInView + 1) * columns;
    std::printf("grid: %llu items, viewport %dx%d, %llu columns, %llu rows in view, %d steps of one row\n",
                static_cast<unsigned long long>(items), area.viewport()->width(), area.viewport()->height(),
                static_cast<unsigned long long>(columns), static_cast<unsigned long long>(rowsInView), steps);
    std::printf("views    : %d made (aim %llu, at most %llu)\n", source.viewsMade(),
                static_cast<unsigned long long>(aim), static_cast<unsigned long long>(aim + columns));
    std::printf("layout   : %8.1f us per step\n", layout);
    std::printf("step     : %8.1f us per step (layout and repaint)\n", step);
    std::printf("baseline : %8.1f us per step (repaint of a plain %dx%d widget)\n", baseline, plain.width(),
                plain.height());
    std::printf("ratio    : step / baseline = %.2f\n", step / baseline);
    grid->setDataSource(nullptr);
    return source.viewsMade() <= int(aim + columns) ? 0 : 1;
}
