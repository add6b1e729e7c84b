#include "library/LibraryViewController.h"

#include "LibraryTestApplication.h"
#include "TabChain.h"
#include "library/LibraryImages.h"
#include "library/LibraryItems.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeView>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <limits>
#include <memory>

namespace {

// A library window over a temporary save root and settings file, with a folder panel that answers what the
// test says and a file opener that only records.
class LibraryViewControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureLibraryTestApplication();
        ASSERT_TRUE(tmp_.isValid());
        root_ = tmp_.filePath("picked/ZUVA");
        DKBookmark::CreateDirectory(root_);
        QSettings(settingsFile(), QSettings::IniFormat).setValue(DKBookmark::kSavePathKey, root_);
    }

    QString settingsFile() const { return tmp_.filePath("settings.ini"); }

    void makeFolder(const QString &relative) { ASSERT_TRUE(QDir().mkpath(root_ + "/" + relative)); }
    void writePicture(const QString &relative, QSize size = {64, 36}) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(root_ + "/" + relative).path()));
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        ASSERT_TRUE(image.save(root_ + "/" + relative, "PNG"));
    }
    void writeFile(const QString &relative) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(root_ + "/" + relative).path()));
        QFile file(root_ + "/" + relative);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }

    LibraryViewController &open() {
        bookmark_ =
            std::make_unique<DKBookmark>(std::make_unique<QSettings>(settingsFile(), QSettings::IniFormat),
                                         [this] { return panelAnswer_; });
        LibraryViewController::Services services{[this] { return panelAnswer_; },
                                                 [this](const QUrl &url) {
                                                     opened_ << url;
                                                     return true;
                                                 }};
        controller_ = std::make_unique<LibraryViewController>(*bookmark_, services);
        controller_->resize(900, 600);
        controller_->show();
        waitForGathering();
        return *controller_;
    }

    void waitForGathering() {
        QElapsedTimer clock;
        clock.start();
        while ((controller_->isGathering() || clock.elapsed() < 20) && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ASSERT_FALSE(controller_->isGathering());
    }

    // The row of that name below parent, whose rows are listed first as opening it would.
    QModelIndex row(const QString &name, const QModelIndex &parent = {}) const {
        LibraryOutlineModel *model = controller_->outlineModel();
        if (model->canFetchMore(parent)) model->fetchMore(parent);
        for (int r = 0; r < model->rowCount(parent); ++r)
            if (model->index(r, 0, parent).data().toString() == name) return model->index(r, 0, parent);
        return {};
    }

    void select(const QList<QModelIndex> &rows) {
        // One change, as a Shift-click would make it.
        QItemSelection wanted;
        for (const QModelIndex &index : rows) wanted.select(index, index);
        controller_->outlineView()->selectionModel()->select(wanted, QItemSelectionModel::ClearAndSelect);
        waitForGathering();
    }

    QStringList gridTitles() const {
        QStringList titles;
        for (const auto &item : controller_->items())
            titles << item.value(LibraryItems::kItemTitle).toString();
        titles.sort();
        return titles;
    }

    QTemporaryDir tmp_;
    QString root_;
    QString panelAnswer_;
    QList<QUrl> opened_;
    std::unique_ptr<DKBookmark> bookmark_;
    std::unique_ptr<LibraryViewController> controller_;
};

TEST_F(LibraryViewControllerTest, StandardRootShowsTwoLeafRowsAndTheCaptures) {
    writeFile("loose.png");
    writePicture("CaptureImages/image_1.png");
    writePicture("CaptureImages/image_2.png");
    writeFile("RidirOvozev/record_1.mp4");
    LibraryViewController &library = open();

    LibraryOutlineModel *model = library.outlineModel();
    ASSERT_EQ(model->rowCount(), 2);
    QStringList rows{model->index(0, 0).data().toString(), model->index(1, 0).data().toString()};
    rows.sort();
    EXPECT_EQ(rows, (QStringList{"CaptureImages", "RidirOvozev"}));
    EXPECT_FALSE(model->hasChildren(model->index(0, 0)));
    EXPECT_FALSE(model->hasChildren(model->index(1, 0)));
    EXPECT_EQ(library.rootNode()->name, "资料库");
    EXPECT_EQ(library.rootNode()->path, root_);

    EXPECT_EQ(gridTitles(), (QStringList{"image_1.png", "image_2.png"}));
    EXPECT_EQ(library.gridView()->numberOfItems(), 2u);
    EXPECT_EQ(library.outlineView()->visualRect(model->index(0, 0)).height(), 36);
    EXPECT_FALSE(model->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
}

TEST_F(LibraryViewControllerTest, FolderNamesChooseWhatTheGridShows) {
    writePicture("CaptureImages/top.png");
    writeFile("RidirOvozev/record_1.mp4");
    writeFile("RidirOvozev/record_2.MP4");
    writePicture("Old/CaptureImages/nested.png");
    writePicture("Old/captureimages/lower.png");
    makeFolder("Digest");
    LibraryViewController &library = open();
    ASSERT_EQ(gridTitles(), QStringList{"top.png"});

    select({row("captureimages", row("Old"))});
    EXPECT_EQ(gridTitles(), QStringList{"top.png"});

    select({row("CaptureImages", row("Old"))});
    EXPECT_EQ(gridTitles(), QStringList{"nested.png"});

    select({row("RidirOvozev")});
    EXPECT_EQ(gridTitles(), (QStringList{"record_1.mp4", "record_2.MP4"}));
    EXPECT_EQ(library.items()[0].value(LibraryItems::kItemImage).value<QImage>(),
              LibraryImages::imageNamed(LibraryImages::kMp4Icon));

    select({row("Old")});
    EXPECT_EQ(gridTitles(), (QStringList{"record_1.mp4", "record_2.MP4"}));

    select({row("CaptureImages"), row("Digest")});
    EXPECT_EQ(gridTitles(), (QStringList{"record_1.mp4", "record_2.MP4"}));

    select({row("Digest")});
    EXPECT_TRUE(library.items().isEmpty());
    EXPECT_EQ(library.gridView()->numberOfItems(), 0u);
}

// Saved scans: their PDFs with a picture of each one's first page; a file that is no PDF is listed
// without one, and a double click opens a scan as any other file.
TEST_F(LibraryViewControllerTest, TheScansFolderShowsItsPdfsWithTheirFirstPages) {
    makeFolder("Scans");
    {
        QPdfWriter pdf(root_ + "/Scans/scan_20240101_120000.pdf");
        pdf.setPageSize(QPageSize(QPageSize::A4));
        QPainter painter(&pdf);
        painter.fillRect(QRect(0, 0, pdf.width(), pdf.height() / 2), Qt::black);  // the top half
    }
    writeFile("Scans/scan_broken.pdf");
    LibraryViewController &library = open();
    select({row("Scans")});
    ASSERT_EQ(gridTitles(), (QStringList{"scan_20240101_120000.pdf", "scan_broken.pdf"}));
    for (const QVariantMap &item : library.items()) {
        const QImage picture = item.value(LibraryItems::kItemImage).value<QImage>();
        if (item.value(LibraryItems::kItemTitle).toString() == "scan_broken.pdf") {
            EXPECT_TRUE(picture.isNull());
            continue;
        }
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(picture.height(), LibraryItems::kThumbnailMaxHeight);
        EXPECT_NEAR(double(picture.width()) / picture.height(), 210.0 / 297.0, 0.02);
        EXPECT_LT(qGray(picture.pixel(picture.width() / 2, picture.height() / 4)), 40);
        EXPECT_GT(qGray(picture.pixel(picture.width() / 2, picture.height() * 3 / 4)), 215);
    }
    library.gridViewDidDoubleClickItemAtIndex(library.gridView(), 0, 0);
    ASSERT_EQ(opened_.size(), 1);
    EXPECT_TRUE(opened_.front().toLocalFile().endsWith(".pdf"));
}

TEST_F(LibraryViewControllerTest, FoldersAreListedWhenTheirRowOpens) {
    makeFolder("CaptureImages/day/morning");
    makeFolder("CaptureImages/day/evening");
    LibraryViewController &library = open();
    LibraryOutlineModel *model = library.outlineModel();
    const QModelIndex captures = row("CaptureImages");
    const QModelIndex day = row("day", captures);
    ASSERT_TRUE(day.isValid());
    EXPECT_TRUE(model->hasChildren(day));
    EXPECT_EQ(model->rowCount(day), 0);
    EXPECT_TRUE(model->canFetchMore(day));

    library.outlineView()->expand(captures);
    library.outlineView()->expand(day);
    EXPECT_EQ(model->rowCount(day), 2);
    EXPECT_FALSE(model->canFetchMore(day));
    EXPECT_FALSE(model->hasChildren(model->index(0, 0, day)));
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
}

TEST_F(LibraryViewControllerTest, ALinkToAHugeFolderCostsNothingUntilOpened) {
    constexpr int kFolders = 20000;
    // In memory where there is such a folder: on a busy disk, removing 20 000 folders takes a minute.
    const QString memory = QStringLiteral("/dev/shm");
    QTemporaryDir hugeDir((QFileInfo(memory).isWritable() ? memory : QDir::tempPath()) +
                          "/deskcam-huge-XXXXXX");
    ASSERT_TRUE(hugeDir.isValid());
    const QByteArray huge = hugeDir.path().toLocal8Bit();
    for (int i = 0; i < kFolders; ++i)
        ASSERT_EQ(::mkdir((huge + "/" + QByteArray::number(i)).constData(), 0700), 0);
    ASSERT_TRUE(QFile::link(QString::fromLocal8Bit(huge), root_ + "/CaptureImages/huge-link"));

    // The first window of a program loads fonts and styles; then the best of three opens is timed. The
    // bound is the one users asked for, 200 ms; the open takes a few ms here even on a loaded machine,
    // while listing everything behind the link took seconds.
    open();
    qint64 best = std::numeric_limits<qint64>::max();
    for (int i = 0; i < 3; ++i) {
        controller_.reset();
        QElapsedTimer clock;
        clock.start();
        open();
        best = std::min(best, clock.elapsed());
    }

    EXPECT_LT(best, 200);

    LibraryOutlineModel *model = controller_->outlineModel();
    const QModelIndex link = row("huge-link", row("CaptureImages"));
    ASSERT_TRUE(link.isValid());
    EXPECT_TRUE(model->hasChildren(link));
    EXPECT_TRUE(model->canFetchMore(link));
    controller_->outlineView()->expand(row("CaptureImages"));
    controller_->outlineView()->expand(link);
    EXPECT_EQ(model->rowCount(link), kFolders);
}

TEST_F(LibraryViewControllerTest, ChoosingAFolderMakesItsZuvaTheRootAndRebuilds) {
    LibraryViewController &library = open();
    const QString picked = tmp_.filePath("elsewhere/ZUVA");
    ASSERT_TRUE(QDir().mkpath(picked));

    panelAnswer_.clear();
    library.btn_set_folder();
    EXPECT_EQ(library.rootNode()->path, root_);

    panelAnswer_ = picked;
    library.btn_set_folder();
    waitForGathering();
    const QString newRoot = picked + "/ZUVA";
    EXPECT_EQ(bookmark_->getSavePath(), newRoot);
    EXPECT_EQ(QSettings(settingsFile(), QSettings::IniFormat).value(DKBookmark::kSavePathKey).toString(),
              newRoot);
    EXPECT_TRUE(QFileInfo(newRoot + "/CaptureImages").isDir());
    EXPECT_TRUE(QFileInfo(newRoot + "/RidirOvozev").isDir());
    EXPECT_EQ(library.rootNode()->path, newRoot);
    EXPECT_EQ(library.outlineModel()->rowCount(), 2);
    EXPECT_TRUE(library.items().isEmpty());

    library.btnOpenLibraryFinder();
    EXPECT_EQ(opened_, QList<QUrl>{QUrl::fromLocalFile(newRoot)});
}

TEST_F(LibraryViewControllerTest, DoubleClickOpensTheClickedFile) {
    writePicture("CaptureImages/image_1.png");
    LibraryViewController &library = open();
    ASSERT_EQ(library.items().size(), 1);

    library.gridViewDidDoubleClickItemAtIndex(library.gridView(), 0, 0);
    EXPECT_EQ(opened_, QList<QUrl>{QUrl::fromLocalFile(root_ + "/CaptureImages/image_1.png")});
    library.gridViewDidDoubleClickItemAtIndex(library.gridView(), 5, 0);
    EXPECT_EQ(opened_.size(), 1);
    EXPECT_TRUE(library.openFailure().isEmpty());

    // Nothing happened when the file was gone or no program took it; now the window says why.
    ASSERT_TRUE(QFile::remove(root_ + "/CaptureImages/image_1.png"));
    library.gridViewDidDoubleClickItemAtIndex(library.gridView(), 0, 0);
    EXPECT_TRUE(library.openFailure().contains(QStringLiteral("no longer there")))
        << library.openFailure().toStdString();
    EXPECT_EQ(opened_.size(), 1);
    EXPECT_NE(library.findChild<QMessageBox *>(), nullptr);
}

// A keyboard user: Tab goes down the left column, then into the grid, whose pane is ringed while it has the
// focus; Enter opens the selected file.
TEST_F(LibraryViewControllerTest, TabReachesEveryControlAndEnterOpensTheSelection) {
    writePicture("CaptureImages/image_1.png");
    LibraryViewController &library = open();
    library.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&library));
    QCoreApplication::processEvents();  // the grid places its views from the event loop
    QStringList names;
    for (QWidget *widget : tabChain(library.outlineView()))
        names << (qobject_cast<QPushButton *>(widget)
                      ? qobject_cast<QPushButton *>(widget)->text()
                      : QString::fromLatin1(widget->metaObject()->className()));
    EXPECT_EQ(names.join(" ").toStdString(), "QTreeView Choose Folder… Show in Files GridView");

    auto *pane = library.findChild<QScrollArea *>();
    library.outlineView()->setFocus();
    const QImage unfocused = pane->grab().toImage();
    library.gridView()->setFocus(Qt::TabFocusReason);
    EXPECT_NE(pane->grab().toImage(), unfocused) << "the grid's focus does not show";

    library.gridView()->selectItemAtIndex(0, Qt::NoModifier);
    QTest::keyClick(library.gridView(), Qt::Key_Return);
    EXPECT_EQ(opened_, QList<QUrl>{QUrl::fromLocalFile(root_ + "/CaptureImages/image_1.png")});
}

TEST_F(LibraryViewControllerTest, AnEmptyFolderSaysSoInsteadOfABlankPane) {
    LibraryViewController &library = open();
    ASSERT_TRUE(library.items().isEmpty());
    EXPECT_TRUE(library.emptyNote()->isVisible());
    writePicture("CaptureImages/image_1.png");
    library.gatherAppData(root_ + "/CaptureImages", "png");
    waitForGathering();
    EXPECT_FALSE(library.emptyNote()->isVisible());
}

TEST_F(LibraryViewControllerTest, AnotherFolderDropsTheGridSelection) {
    writePicture("CaptureImages/image_1.png");
    writeFile("RidirOvozev/record_1.mp4");
    LibraryViewController &library = open();
    QCoreApplication::processEvents();  // the grid places its views from the event loop
    library.gridView()->selectItemAtIndex(0, Qt::NoModifier);
    ASSERT_EQ(library.gridView()->selectedIndexes(), GridIndexSet{0});

    select({row("RidirOvozev")});
    EXPECT_TRUE(library.gridView()->selectedIndexes().empty());
    EXPECT_EQ(gridTitles(), QStringList{"record_1.mp4"});
}

TEST_F(LibraryViewControllerTest, GridIsSetUpAndReusedItemsCarryTheLibraryLooks) {
    for (int i = 0; i < 40; ++i)
        writePicture(QString("CaptureImages/image_%1.png").arg(i, 2, 10, QChar('0')));
    LibraryViewController &library = open();
    GridView *grid = library.gridView();
    EXPECT_EQ(grid->itemSize(), QSizeF(200, 150));
    EXPECT_TRUE(grid->allowsMultipleSelection());
    EXPECT_TRUE(grid->scrollElasticity());
    EXPECT_EQ(grid->backgroundColor().textureImage(),
              LibraryImages::imageNamed(LibraryImages::kBackgroundDust));
    EXPECT_EQ(library.hoverLayout()->backgroundColor, QColor::fromRgbF(0.5, 0.5, 0.5, 0.42));
    EXPECT_EQ(library.selectionLayout()->backgroundColor, QColor::fromRgbF(0.542, 0.699, 0.807, 0.42));
    ASSERT_EQ(library.items().size(), 40);

    // Scroll to the bottom and back so that views leave the grid and come back from the reuse table.
    QScrollBar *bar = library.gridScrollArea()->verticalScrollBar();
    for (int value : {bar->maximum(), 0}) {
        bar->setValue(value);
        QCoreApplication::processEvents();
    }
    int checked = 0;
    for (QObject *child : grid->children()) {
        auto *item = qobject_cast<GridViewItem *>(child);
        if (!item || !item->isVisible()) continue;
        EXPECT_EQ(item->hoverLayout(), library.hoverLayout());
        EXPECT_EQ(item->selectionLayout(), library.selectionLayout());
        EXPECT_EQ(item->defaultLayout(), library.defaultLayout());
        const QVariantMap &entry = library.items().at(qsizetype(item->index()));
        EXPECT_EQ(item->itemTitle(), entry.value(LibraryItems::kItemTitle).toString());
        EXPECT_EQ(item->itemURL(), entry.value(LibraryItems::kItemURL).toString());
        ++checked;
    }
    EXPECT_GT(checked, 0);
    // Both ends of the list were shown with fewer views than entries: views were taken back for reuse.
    EXPECT_LT(grid->findChildren<GridViewItem *>().size(), 40);
}

TEST_F(LibraryViewControllerTest, GatheringKeepsTheListingOrderAndANewOneReplacesARunningOne) {
    for (int i = 0; i < 12; ++i) writePicture(QString("CaptureImages/c%1.png").arg(i), {640, 360});
    writeFile("RidirOvozev/r.mp4");
    LibraryViewController &library = open();
    const auto expected = LibraryItems::gatherItems(root_ + "/CaptureImages", "png");
    ASSERT_EQ(library.items().size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(library.items()[i].value(LibraryItems::kItemTitle),
                  expected[i].value(LibraryItems::kItemTitle));
        EXPECT_EQ(library.items()[i].value(LibraryItems::kItemImage).value<QImage>(),
                  expected[i].value(LibraryItems::kItemImage).value<QImage>());
    }

    library.gatherAppData(root_ + "/CaptureImages", "png");
    library.gatherAppData(root_ + "/RidirOvozev", "mp4");
    waitForGathering();
    ASSERT_EQ(gridTitles(), QStringList{"r.mp4"});
    EXPECT_EQ(library.gridView()->numberOfItems(), 1u);

    // Closing the window in the middle of a gathering drops what is still to come.
    library.gatherAppData(root_ + "/CaptureImages", "png");
    controller_.reset();
    QCoreApplication::processEvents();
}

TEST_F(LibraryViewControllerTest, NoSaveRootGivesAnEmptyWindow) {
    QSettings(settingsFile(), QSettings::IniFormat).remove(DKBookmark::kSavePathKey);
    panelAnswer_.clear();
    LibraryViewController &library = open();
    EXPECT_EQ(library.outlineModel()->rowCount(), 0);
    EXPECT_TRUE(library.items().isEmpty());
    library.btnOpenLibraryFinder();
    EXPECT_TRUE(opened_.isEmpty());
}

}  // namespace
