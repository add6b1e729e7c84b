#include "library/SimpleNodeData.h"

#include "LibraryTestApplication.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QPixmap>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

class SimpleNodeDataTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureLibraryTestApplication();
        ASSERT_TRUE(tmp_.isValid());
    }

    static QIcon someIcon() {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::red);
        return QIcon(pixmap);
    }

    QTemporaryDir tmp_;
};

TEST_F(SimpleNodeDataTest, MadeNodesStartExpandableSelectableContainers) {
    const SimpleNodeData plain;
    EXPECT_EQ(plain.name, "Untitled");
    EXPECT_TRUE(plain.path.isEmpty());
    EXPECT_TRUE(plain.expandable && plain.selectable && plain.container);

    const auto named = SimpleNodeData::nodeDataWithName("Digest", "/tmp/Digest");
    EXPECT_EQ(named->name, "Digest");
    EXPECT_EQ(named->path, "/tmp/Digest");
    EXPECT_TRUE(named->mu_array().empty());
    EXPECT_TRUE(named->image.isNull());
}

TEST_F(SimpleNodeDataTest, DescriptionNamesTheObjectThenTheNodeAndItsFlags) {
    const auto node = SimpleNodeData::nodeDataWithName("A");
    const QString text = node->description();
    EXPECT_TRUE(text.startsWith("<SimpleNodeData: 0x")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("- 'A' expandable: 1, selectable: 1, container: 1")) << text.toStdString();

    node->expandable = false;
    node->container = false;
    EXPECT_TRUE(node->description().endsWith("- 'A' expandable: 0, selectable: 1, container: 0"));
}

TEST_F(SimpleNodeDataTest, CompareOrdersByNameCaseSensitivelyAndPutsMissingNodesLast) {
    const SimpleNodeData a("a"), b("b"), upperB("B"), otherA("a");
    EXPECT_EQ(a.compare(&b), -1);
    EXPECT_EQ(b.compare(&a), 1);
    EXPECT_EQ(a.compare(&otherA), 0);
    EXPECT_EQ(upperB.compare(&a), -1);  // plain comparison: upper case sorts first
    EXPECT_EQ(b.compare(nullptr), -1);
}

TEST_F(SimpleNodeDataTest, WritesItsNameAsTextAndItsIconOnlyWhenItHasOne) {
    SimpleNodeData node("CaptureImages");
    EXPECT_EQ(node.writableTypesForPasteboard(), QStringList{"text/plain"});
    auto data = node.mimeData();
    EXPECT_EQ(data->text(), "CaptureImages");
    EXPECT_FALSE(data->hasImage());

    node.image = someIcon();
    EXPECT_EQ(node.writableTypesForPasteboard(), (QStringList{"text/plain", SimpleNodeData::kImageType}));
    data = node.mimeData();
    EXPECT_EQ(data->text(), "CaptureImages");
    ASSERT_TRUE(data->hasImage());
    EXPECT_FALSE(qvariant_cast<QImage>(data->imageData()).isNull());
}

TEST_F(SimpleNodeDataTest, ReadsUrlsBeforeTextAsStrings) {
    EXPECT_EQ(SimpleNodeData::readableTypesForPasteboard(), (QStringList{"text/uri-list", "text/plain"}));
    EXPECT_EQ(SimpleNodeData::readingOptionsForType("text/plain"), SimpleNodeData::ReadingOption::AsString);
    EXPECT_EQ(SimpleNodeData::readingOptionsForType("text/uri-list"),
              SimpleNodeData::ReadingOption::AsString);
    EXPECT_EQ(SimpleNodeData::readingOptionsForType("image/png"), SimpleNodeData::ReadingOption::AsData);

    QMimeData both;
    both.setText("abc");
    both.setUrls({QUrl::fromLocalFile(tmp_.path())});
    const auto fromBoth = SimpleNodeData::fromMimeData(both);
    ASSERT_TRUE(fromBoth);
    EXPECT_EQ(fromBoth->name, QDir(tmp_.path()).dirName());

    EXPECT_EQ(SimpleNodeData::fromMimeData(QMimeData()), nullptr);
}

TEST_F(SimpleNodeDataTest, NodeFromTextIsASelectableLeaf) {
    QMimeData data;
    data.setText("abc");
    const auto node = SimpleNodeData::fromMimeData(data);
    ASSERT_TRUE(node);
    EXPECT_EQ(node->name, "abc");
    EXPECT_TRUE(node->selectable);
    EXPECT_FALSE(node->expandable);
    EXPECT_FALSE(node->container);
    EXPECT_TRUE(node->path.isEmpty());
}

TEST_F(SimpleNodeDataTest, NodeFromUrlTakesTheLastComponentAndWhetherItIsAFolder) {
    ASSERT_TRUE(QDir(tmp_.path()).mkdir("Shots"));
    QFile file(tmp_.filePath("a.png"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    const QString urlType = SimpleNodeData::kUrlType;
    const auto folder = SimpleNodeData::initWithPasteboardPropertyList(
        QUrl::fromLocalFile(tmp_.filePath("Shots") + "/").toString(), urlType);
    EXPECT_EQ(folder->name, "Shots");
    EXPECT_TRUE(folder->container && folder->expandable && folder->selectable);
    EXPECT_FALSE(folder->image.isNull());

    const auto plainFile = SimpleNodeData::initWithPasteboardPropertyList(
        QUrl::fromLocalFile(tmp_.filePath("a.png")).toString(), urlType);
    EXPECT_EQ(plainFile->name, "a.png");
    EXPECT_FALSE(plainFile->container || plainFile->expandable);
    EXPECT_TRUE(plainFile->selectable);

    const auto root = SimpleNodeData::initWithPasteboardPropertyList("file:///", urlType);
    EXPECT_EQ(root->name, "/");
    const auto pathless = SimpleNodeData::initWithPasteboardPropertyList("mailto:", urlType);
    EXPECT_EQ(pathless->name, "Untitled");
    EXPECT_FALSE(pathless->container);

    const auto other = SimpleNodeData::initWithPasteboardPropertyList("x", "image/png");
    EXPECT_FALSE(other->selectable);
}

TEST_F(SimpleNodeDataTest, ChildrenKnowTheirParentAndPosition) {
    SimpleNodeData root("资料库", "/r");
    SimpleNodeData *first = root.appendChild(SimpleNodeData::nodeDataWithName("CaptureImages", "/r/C"));
    SimpleNodeData *second = root.appendChild(SimpleNodeData::nodeDataWithName("RidirOvozev", "/r/R"));
    EXPECT_EQ(first->parent(), &root);
    EXPECT_EQ(root.indexOfChild(second), 1);
    EXPECT_EQ(root.indexOfChild(&root), -1);
    EXPECT_EQ(root.parent(), nullptr);
}

}  // namespace
