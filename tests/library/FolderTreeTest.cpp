#include "library/FolderTree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

class FolderTreeTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(tmp_.isValid()); }

    QString root() const { return tmp_.filePath("ZUVA"); }
    void makeFolder(const QString &relative) { ASSERT_TRUE(QDir().mkpath(root() + "/" + relative)); }
    void makeFile(const QString &relative) {
        QFile file(root() + "/" + relative);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    void makeLink(const QString &target, const QString &relative) {
        ASSERT_TRUE(QFile::link(target, root() + "/" + relative));
    }

    static QStringList names(const SimpleNodeData &node) {
        QStringList list;
        for (const auto &child : node.mu_array()) list << child->name;
        return list;
    }
    static SimpleNodeData *child(const SimpleNodeData &node, const QString &name) {
        for (const auto &c : node.mu_array())
            if (c->name == name) return c.get();
        return nullptr;
    }
    // Lists the whole tree, as opening every row would.
    static SimpleNodeData &listAll(SimpleNodeData &node) {
        for (auto &c : FolderTree::listChildren(node)) node.appendChild(std::move(c));
        for (const auto &c : node.mu_array()) listAll(*c);
        return node;
    }
    static int countNodes(const SimpleNodeData &node) {
        int count = 1;
        for (const auto &c : node.mu_array()) count += countNodes(*c);
        return count;
    }

    QTemporaryDir tmp_;
};

TEST_F(FolderTreeTest, StandardRootGivesItsTwoFoldersAndNoFiles) {
    makeFolder("CaptureImages");
    makeFolder("RidirOvozev");
    makeFile("CaptureImages/image_20240101_120000.png");
    makeFile("notes.txt");

    const auto tree = FolderTree::build("资料库", root());
    EXPECT_EQ(tree->name, "资料库");
    EXPECT_EQ(tree->path, root());
    QStringList top = names(*tree);
    top.sort();
    EXPECT_EQ(top, (QStringList{"CaptureImages", "RidirOvozev"}));
    for (const auto &c : tree->mu_array()) {
        EXPECT_TRUE(c->mu_array().empty()) << c->name.toStdString();
        EXPECT_EQ(c->path, root() + "/" + c->name);
        EXPECT_EQ(c->parent(), tree.get());
    }
}

TEST_F(FolderTreeTest, NestedHiddenAndLinkedFoldersAreNodes) {
    makeFolder("Digest/2024/CaptureImages");
    makeFolder(".hidden");
    makeFolder("elsewhere-target");
    makeLink(root() + "/elsewhere-target", "linked");
    makeLink(root() + "/notes.txt", "linked-file");
    makeFile("notes.txt");

    const auto tree = FolderTree::build("资料库", root());
    QStringList top = names(listAll(*tree));
    top.sort();
    EXPECT_EQ(top, (QStringList{".hidden", "Digest", "elsewhere-target", "linked"}));
    const SimpleNodeData *digest = child(*tree, "Digest");
    ASSERT_NE(digest, nullptr);
    ASSERT_EQ(names(*digest), QStringList{"2024"});
    EXPECT_EQ(names(*digest->mu_array()[0]), QStringList{"CaptureImages"});
}

TEST_F(FolderTreeTest, TreeFollowsTheListingOrderUnsorted) {
    for (const char *name : {"m", "b", "z", "a", "q", "c"}) makeFolder(name);
    const QStringList listed = QDir(root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    EXPECT_EQ(names(*FolderTree::build("资料库", root())), listed);
}

TEST_F(FolderTreeTest, LinkBackToAFolderOnThePathIsShownButNotEntered) {
    makeFolder("CaptureImages/day");
    makeLink(root(), "CaptureImages/day/back-to-root");
    makeLink(root() + "/CaptureImages", "CaptureImages/day/back-to-parent");
    makeLink(tmp_.path(), "up-to-parent-of-root");
    makeLink("/", "up-to-filesystem-root");

    const auto tree = FolderTree::build("资料库", root());
    listAll(*tree);
    const SimpleNodeData *day = child(*child(*tree, "CaptureImages"), "day");
    ASSERT_NE(day, nullptr);
    SimpleNodeData *back = child(*day, "back-to-root");
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->mu_array().empty());
    ASSERT_NE(child(*day, "back-to-parent"), nullptr);
    EXPECT_TRUE(child(*day, "back-to-parent")->mu_array().empty());
    EXPECT_FALSE(FolderTree::hasChildFolders(*back));
    EXPECT_TRUE(child(*tree, "up-to-parent-of-root")->mu_array().empty());
    EXPECT_TRUE(child(*tree, "up-to-filesystem-root")->mu_array().empty());
    EXPECT_EQ(countNodes(*tree), 7);
}

TEST_F(FolderTreeTest, TwoLinksToOneFolderOffThePathAreBothEntered) {
    makeFolder("shared/inner");
    makeLink(root() + "/shared", "first");
    makeLink(root() + "/shared", "second");
    const auto tree = FolderTree::build("资料库", root());
    listAll(*tree);
    EXPECT_EQ(names(*child(*tree, "first")), QStringList{"inner"});
    EXPECT_EQ(names(*child(*tree, "second")), QStringList{"inner"});
}

TEST_F(FolderTreeTest, FoldersBelowTheTopLevelAreListedWhenAsked) {
    makeFolder("CaptureImages/day/morning");
    makeFolder("RidirOvozev");
    makeFile("RidirOvozev/record.mp4");
    const auto tree = FolderTree::build("资料库", root());
    SimpleNodeData *captures = child(*tree, "CaptureImages");
    SimpleNodeData *records = child(*tree, "RidirOvozev");
    ASSERT_TRUE(captures && records);
    EXPECT_TRUE(captures->mu_array().empty());
    EXPECT_FALSE(captures->childrenListed);
    // Whether a row opens is known before its folder is listed, and kept.
    EXPECT_TRUE(FolderTree::hasChildFolders(*captures));
    EXPECT_FALSE(FolderTree::hasChildFolders(*records));
    EXPECT_EQ(captures->hasChildFolders, true);

    auto days = FolderTree::listChildren(*captures);
    ASSERT_EQ(days.size(), 1u);
    EXPECT_EQ(days[0]->name, "day");
    EXPECT_EQ(days[0]->path, root() + "/CaptureImages/day");
    EXPECT_FALSE(days[0]->childrenListed);
    EXPECT_TRUE(FolderTree::listChildren(*captures).empty()) << "listed once";
    EXPECT_TRUE(captures->childrenListed);
}

TEST_F(FolderTreeTest, MissingOrEmptyRootGivesNoRows) {
    EXPECT_TRUE(FolderTree::build("资料库", tmp_.filePath("gone"))->mu_array().empty());
    EXPECT_TRUE(FolderTree::build("资料库", QString())->mu_array().empty());
    QFile file(tmp_.filePath("plain-file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_TRUE(FolderTree::build("资料库", tmp_.filePath("plain-file"))->mu_array().empty());
}

}  // namespace
