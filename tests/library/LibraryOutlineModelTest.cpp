#include "library/LibraryOutlineModel.h"

#include "LibraryTestApplication.h"

#include <QAbstractItemModelTester>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

// Serves a fixed tree the way the library window does, and counts icon fetches per node.
class TreeSource : public OutlineViewDataSource {
  public:
    TreeSource() : root("资料库", "/r") {
        SimpleNodeData *captures =
            root.appendChild(SimpleNodeData::nodeDataWithName("CaptureImages", "/r/C"));
        captures->appendChild(SimpleNodeData::nodeDataWithName("day", "/r/C/day"));
        root.appendChild(SimpleNodeData::nodeDataWithName("RidirOvozev", "/r/R"));
    }

    int outlineViewNumberOfChildrenOfItem(SimpleNodeData *item) override {
        return int(node(item)->mu_array().size());
    }
    SimpleNodeData *outlineViewChild(int index, SimpleNodeData *item) override {
        return node(item)->mu_array()[size_t(index)].get();
    }
    bool outlineViewIsItemExpandable(SimpleNodeData *item) override { return !item->mu_array().empty(); }
    void outlineViewWillDisplayCell(const QString &column, SimpleNodeData *item) override {
        lastColumn = column;
        if (!item->image.isNull()) return;
        ++iconFetches;
        QPixmap pixmap(8, 8);
        pixmap.fill(Qt::yellow);
        item->image = QIcon(pixmap);
    }

    SimpleNodeData *node(SimpleNodeData *item) { return item ? item : &root; }

    SimpleNodeData root;
    QString lastColumn;
    int iconFetches = 0;
};

class LibraryOutlineModelTest : public ::testing::Test {
  protected:
    void SetUp() override { ensureLibraryTestApplication(); }
    TreeSource source_;
    LibraryOutlineModel model_{source_};
};

TEST_F(LibraryOutlineModelTest, PassesTheItemModelConsistencyChecks) {
    QAbstractItemModelTester tester(&model_, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model_.rowCount(), 2);
    model_.reset([this] { source_.root.appendChild(SimpleNodeData::nodeDataWithName("Digest", "/r/D")); });
    EXPECT_EQ(model_.rowCount(), 3);
}

TEST_F(LibraryOutlineModelTest, RowsMapToTheTreeAndBack) {
    const QModelIndex captures = model_.index(0, 0);
    EXPECT_EQ(captures.data().toString(), "CaptureImages");
    EXPECT_TRUE(model_.hasChildren(captures));
    EXPECT_FALSE(model_.hasChildren(model_.index(1, 0)));
    const QModelIndex day = model_.index(0, 0, captures);
    EXPECT_EQ(model_.nodeAt(day)->name, "day");
    EXPECT_EQ(model_.parent(day), captures);
    EXPECT_FALSE(model_.parent(captures).isValid());
    EXPECT_EQ(model_.headerData(0, Qt::Horizontal, LibraryOutlineModel::kColumnIdentifierRole).toString(),
              "DirectoryColumn");
}

TEST_F(LibraryOutlineModelTest, IconIsFetchedOncePerNode) {
    const QModelIndex captures = model_.index(0, 0);
    EXPECT_FALSE(captures.data(Qt::DecorationRole).value<QIcon>().isNull());
    captures.data(Qt::DecorationRole);
    model_.index(1, 0).data(Qt::DecorationRole);
    EXPECT_EQ(source_.iconFetches, 2);
    EXPECT_EQ(source_.lastColumn, "DirectoryColumn");
}

}  // namespace
